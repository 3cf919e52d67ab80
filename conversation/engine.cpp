#include "conversation/engine.h"

#include "checker/language.h"
#include "checker/rules.h"
#include "conversation/colour_codes.h"
#include "conversation/effects.h"

#include <QLocale>

#include <QScopeGuard>
#include <algorithm>

namespace Conversation {

namespace {

using Op = Instruction::Op;
using Word = FlowStep::Word;
using Window = Commands::Window;

constexpr int kDeepestCall = 64; // functions called from expressions, one inside the other

} // namespace

const Instruction &Run::Engine::current(int *frame) const
{
    *frame = int(s_.frames.size()) - 1;
    const Frame &f = s_.frames.at(*frame);
    return f.body->code.at(std::clamp(f.pc, 0, int(f.body->code.size()) - 1));
}

void Run::Engine::step()
{
    int frame = 0;
    const Instruction &in = current(&frame);
    if (in.op == Op::Nop) { // every loop holds a jump, which counts
        ++s_.frames[frame].pc;
        return;
    }
    if (++s_.steps > kStepLimit)
        stop(in.line, QStringLiteral("%1 ステップを超えたので止めました（%2 行目）。繰り返しが終わらないようです")
                          .arg(QLocale(QLocale::English).toString(kStepLimit))
                          .arg(placeOf(in.line).line + 1));
    ++s_.frames[frame].pc;
    switch (in.op) {
    case Op::Command:
        return command(in);
    case Op::Expression:
        evaluate(in.arguments.value(0, -1));
        return;
    case Op::CallOwn:
        return callOwn(in.word, values(in.arguments), false, in.line);
    case Op::Jump:
        if (in.target < 0)
            stop(in.line, QStringLiteral("%1 行目: 跳び先の文を読めません").arg(placeOf(in.line).line + 1));
        s_.frames[frame].pc = in.target;
        return;
    case Op::JumpUnless:
    case Op::JumpIf:
        if (condition(in.arguments.value(0, -1)) == (in.op == Op::JumpIf))
            s_.frames[frame].pc = in.target;
        return;
    case Op::SwitchValue: {
        const Value value = evaluate(in.arguments.value(0, -1));
        s_.frames[frame].switchValues.insert(in.statement, value);
        return;
    }
    case Op::Switch: {
        // Reached by a jump past its head, it compares what the head last stored, as the server does.
        const Value value = s_.frames[frame].switchValues.value(in.subject);
        int target = in.target;
        for (const auto &[caseNode, at] : in.cases) {
            if (binary(QStringLiteral("=="), value, evaluate(caseNode), in.line).number != 0) {
                target = at;
                break;
            }
        }
        s_.frames[frame].pc = target;
        return;
    }
    case Op::Goto:
        return jumpTo(in.word, in.line);
    case Op::Return:
        return returnFrom(in);
    case Op::End:
        finish(Ending::Ended, in.line);
    case Op::BodyEnd:
        if (s_.frames.last().calledFunction)
            return returnFrom(in);
        finish(Ending::Ended, in.line);
    case Op::Stop:
        stop(in.line, in.message);
    case Op::Nop:
        return;
    }
}

void Run::Engine::command(const Instruction &in)
{
    if (controlCommand(in))
        return;
    conversationCommand(in);
}

// Commands that change where the run goes or what it holds.
bool Run::Engine::controlCommand(const Instruction &in)
{
    const Word word = Language::flowWord(in.word);
    if (word == Word::Callsub) {
        const QString label = node(in.arguments.value(0, -1)).text;
        // The arguments first: working them out may run functions, which change the frames.
        const QVector<Value> arguments = values(in.arguments, 1);
        // A subroutine runs in its caller's body and scope; its return comes back here.
        enter(s_.frames.last(), arguments, false, false, false);
        jumpTo(label, in.line);
    } else if (word == Word::Callfunc) {
        const QString name = evaluate(in.arguments.value(0, -1)).toText();
        callFunction(name, values(in.arguments, 1), false, in.line);
    } else if (word == Word::Set) {
        setCommand(in);
    } else if (word == Word::SetArray) {
        setArray(in);
    } else if (word == Word::Select || word == Word::Prompt) {
        QStringList choices;
        for (const Value &v : values(in.arguments))
            choices += v.toText().split(u':');
        choose(choices, in.line);
    } else {
        return false;
    }
    return true;
}

// The commands of the conversation window, as their window column says, and effects.
void Run::Engine::conversationCommand(const Instruction &in)
{
    const Word word = Language::flowWord(in.word);
    const Commands::Command *command = run_.commands_->find(in.word);
    const Window window = command ? command->window : Window::None;
    if (word == Word::Menu) {
        // A choice's text may hold several choices split at ":", all going to its
        // label; @menu counts them all.
        QStringList choices;
        QVector<int> labelArgument;
        for (int i = 0; i < in.arguments.size(); i += 2) {
            for (const QString &part : evaluate(in.arguments.at(i)).toText().split(u':')) {
                choices.append(part);
                labelArgument.append(i + 1);
            }
        }
        const int chosen = choose(choices, in.line);
        const QString label = node(in.arguments.value(labelArgument.value(chosen - 1, -1), -1)).text;
        if (label != u"-")
            jumpTo(label, in.line);
    } else if (word == Word::Input) {
        input(in.arguments.value(0, -1), in.line);
    } else if (window == Window::Shows) {
        for (const Value &v : values(in.arguments))
            message(v.toText(), in.line);
    } else if (window == Window::Waits) {
        button(Button::Next, in.line);
        s_.pageDone = true;
    } else if (window == Window::Closes) {
        button(Button::Close, in.line);
        s_.windowOpen = false;
        finish(Ending::Closed, in.line);
    } else if (window == Window::ClosesOn) {
        button(Button::Close, in.line);
        s_.windowOpen = false;
        s_.pageDone = true;
    } else if (window == Window::Ends) {
        finish(Ending::Ended, in.line);
    } else {
        effect(in);
    }
}

void Run::Engine::effect(const Instruction &in)
{
    QStringList arguments;
    for (int argument : in.arguments)
        arguments.append(describe(argument));
    const Commands::Command *command = run_.commands_->find(in.word);
    t_.effects.append({in.word, Effects::describe(command, in.word, arguments), placeOf(in.line)});
    // Moved away, the player's client closes the window: the conversation is over.
    if (command && command->window == Window::Moves) {
        s_.windowOpen = false;
        finish(Ending::Warped, in.line);
    }
}

void Run::Engine::returnFrom(const Instruction &in)
{
    const Value value = in.arguments.isEmpty() ? Value() : evaluate(in.arguments.first());
    if (s_.frames.size() <= 1)
        finish(Ending::Ended, in.line);
    const Frame done = s_.frames.takeLast();
    if (done.inExpression)
        returned_ = value;
}

void Run::Engine::jumpTo(const QString &label, int line)
{
    Frame &frame = s_.frames.last();
    const int at = frame.body->labelIndex(label);
    if (at < 0)
        stop(line,
             QStringLiteral("%1 行目: ラベル「%2」がこの本文にありません").arg(placeOf(line).line + 1).arg(label));
    frame.pc = at;
}

void Run::Engine::callFunction(const QString &name, const QVector<Value> &arguments, bool inExpression, int line)
{
    const std::optional<Source> source = run_.findFunction_ ? run_.findFunction_(name) : std::nullopt;
    if (!source || !source->check) {
        t_.effects.append({QStringLiteral("callfunc"),
                           QStringLiteral("関数 %1 を呼ぶ（チェックしたファイルに定義がありません）").arg(name),
                           placeOf(line)});
        return;
    }
    const auto key = qMakePair(source->check, source->definitionLine);
    std::shared_ptr<const Body> &body = run_.bodies_[key];
    if (!body)
        body = BodyForm::read(*source->check, source->definitionLine);
    Frame frame;
    frame.body = body;
    frame.lineOffset = source->lineOffset;
    frame.file = source->file;
    enter(std::move(frame), arguments, true, true, inExpression);
}

void Run::Engine::callOwn(const QString &lowerName, const QVector<Value> &arguments, bool inExpression, int line)
{
    Frame frame = s_.frames.last();
    const int at = frame.body->functions.value(lowerName, -1);
    if (at < 0)
        stop(line, QStringLiteral("%1 行目: 関数「%2」は宣言だけで定義がありません")
                       .arg(placeOf(line).line + 1)
                       .arg(lowerName));
    frame.pc = at;
    enter(std::move(frame), arguments, true, true, inExpression);
}

// Runs on in `frame`, given `arguments` and no variables of its own yet.
void Run::Engine::enter(Frame frame, const QVector<Value> &arguments, bool ownScope, bool calledFunction,
                        bool inExpression)
{
    frame.arguments = arguments;
    frame.locals.clear();
    frame.switchValues.clear();
    frame.ownScope = ownScope;
    frame.calledFunction = calledFunction;
    frame.inExpression = inExpression;
    s_.frames.append(std::move(frame));
}

// Runs the function just called from an expression until it returns, and gives its value.
Value Run::Engine::runNested(int base)
{
    if (nesting_ >= kDeepestCall)
        stop(s_.frames.last().body->code.value(s_.frames.last().pc).line,
             QStringLiteral("式の中の関数呼び出しが深すぎます"));
    ++nesting_;
    const int savedCondition = conditionFrames_;
    conditionFrames_ = -1;
    const auto leave = qScopeGuard([&] {
        --nesting_;
        conditionFrames_ = savedCondition;
    });
    returned_ = Value();
    while (s_.frames.size() >= base)
        step();
    return returned_;
}

void Run::Engine::message(const QString &text, int line)
{
    if (t_.pages.isEmpty() || s_.pageDone || !s_.windowOpen) {
        Page page;
        page.place = placeOf(line);
        t_.pages.append(page);
        addStep(Step::Kind::Page, ColourCodes::plain(text), line);
    }
    s_.pageDone = false;
    s_.windowOpen = true;
    t_.pages.last().lines.append({ColourCodes::split(text), placeOf(line)});
}

void Run::Engine::button(Button button, int line)
{
    if (t_.pages.isEmpty() || s_.pageDone || !s_.windowOpen) { // a button on an empty window
        Page page;
        page.place = placeOf(line);
        t_.pages.append(page);
        addStep(Step::Kind::Page, QString(), line);
    }
    s_.windowOpen = true;
    s_.pageDone = false;
    t_.pages.last().button = button;
    Wait wait;
    wait.kind = Wait::Kind::Button;
    wait.button = button;
    wait.place = placeOf(line);
    takeAnswer(wait);
}

// Offers `choices` and gives the number chosen; sets @menu as the server does.
int Run::Engine::choose(const QStringList &choices, int line)
{
    Wait wait;
    wait.kind = Wait::Kind::Choice;
    wait.choices = choices;
    wait.place = placeOf(line);
    s_.windowOpen = true;
    const Answer answer = takeAnswer(wait);
    if (answer.kind == Answer::Kind::Cancel) {
        s_.windowOpen = false;
        addStep(Step::Kind::Choice, QStringLiteral("キャンセル"), line);
        finish(Ending::Cancelled, line);
    }
    addStep(Step::Kind::Choice, ColourCodes::plain(choices.value(answer.choice - 1)), line);
    s_.variables.insert(QStringLiteral("@menu"), Value::ofNumber(answer.choice));
    return answer.choice;
}

void Run::Engine::input(int target, int line)
{
    Wait wait;
    wait.kind = Wait::Kind::Input;
    wait.place = placeOf(line);
    wait.wantsText = target >= 0 && node(target).text.endsWith(u'$');
    s_.windowOpen = true;
    const Answer answer = takeAnswer(wait);
    addStep(Step::Kind::Input, answer.text, line);
    if (target >= 0 && (node(target).kind == Node::Kind::Variable || node(target).kind == Node::Kind::Element))
        store(node(target), Value::ofText(answer.text));
}

// "set Name, value", and the forms the buttons write: "set Name = value,0",
// "set Name + value,0".
void Run::Engine::setCommand(const Instruction &in)
{
    const Node &target = node(in.arguments.value(0, -1));
    const bool buttonForm = in.arguments.size() == 2 && node(in.arguments.at(1)).kind == Node::Kind::Number &&
                            node(in.arguments.at(1)).number == 0;
    if (buttonForm && target.kind == Node::Kind::Assign) {
        assign(target);
        return;
    }
    if (buttonForm && target.kind == Node::Kind::Binary && target.operands.size() == 2) {
        const Node &variable = node(target.operands.at(0));
        store(variable, binary(target.text, read(variable), evaluate(target.operands.at(1)), in.line));
        return;
    }
    store(target, evaluate(in.arguments.value(1, -1)));
}

// "setarray .@list[first], a, b, ...": element 0 is the plain name.
void Run::Engine::setArray(const Instruction &in)
{
    const Node &target = node(in.arguments.value(0, -1));
    const qint64 first = target.kind == Node::Kind::Element ? evaluate(target.operands.value(0, -1)).toNumber() : 0;
    const QVector<Value> items = values(in.arguments, 1);
    for (int i = 0; i < items.size(); ++i) {
        Node element = target;
        element.kind = Node::Kind::Variable;
        element.text = first + i == 0 ? target.text : QStringLiteral("%1[%2]").arg(target.text).arg(first + i);
        store(element, items.at(i));
    }
}

Answer Run::Engine::takeAnswer(const Wait &wait)
{
    if (run_.pendingUsed_ < run_.pending_.size())
        return run_.pending_.at(run_.pendingUsed_++);
    throw Waiting{wait, {}};
}

void Run::Engine::finish(Ending ending, int line, const QString &message)
{
    t_.ending = ending;
    t_.stuck = ending == Ending::Ended && s_.windowOpen;
    t_.stopMessage = message;
    t_.endPlace = placeOf(line);
    static const char16_t *const kEnds[] = {u"", u"閉じる", u"終わり", u"ワープ", u"キャンセル", u"停止"};
    QString text = QString::fromUtf16(kEnds[int(ending)]);
    if (t_.stuck)
        text = Rules::message(Rule::PlayerStuck); // the window rule's own words
    addStep(Step::Kind::End, text, line);
    throw Finished{};
}

Place Run::Engine::placeOf(int line) const
{
    if (s_.frames.isEmpty())
        return {line, {}};
    return {line + s_.frames.last().lineOffset, s_.frames.last().file};
}

void Run::Engine::addStep(Step::Kind kind, const QString &text, int line)
{
    t_.path.append({kind, text, placeOf(line)});
}

} // namespace Conversation
