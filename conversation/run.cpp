#include "conversation/run.h"

#include "conversation/engine.h"

namespace Conversation {

Run::Run(const Source &start, const QString &label, FunctionFinder findFunction,
         std::shared_ptr<const Commands::Table> commands)
    : state_(std::make_unique<State>()), before_(std::make_unique<State>()), beforeMark_(std::make_unique<Mark>()),
      findFunction_(std::move(findFunction)), commands_(std::move(commands))
{
    Frame frame;
    frame.lineOffset = start.lineOffset;
    frame.file = start.file;
    if (start.check) {
        frame.body = BodyForm::read(*start.check, start.definitionLine);
        bodies_.insert(qMakePair(start.check, start.definitionLine), frame.body);
    } else {
        frame.body = std::make_shared<Body>();
    }
    if (frame.body->code.isEmpty()) { // no body to run: a stop says so
        auto body = std::make_shared<Body>(*frame.body);
        Instruction stop;
        stop.op = Instruction::Op::Stop;
        stop.line = start.definitionLine;
        stop.message =
            QStringLiteral("%1 行目に会話の本文がありません").arg(start.definitionLine + start.lineOffset + 1);
        body->code.append(stop);
        frame.body = body;
    }
    if (!label.isEmpty()) {
        frame.pc = frame.body->labelIndex(label);
        if (frame.pc < 0) {
            transcript_.ending = Ending::Stopped;
            transcript_.stopMessage = QStringLiteral("ラベル「%1」がこの本文にありません").arg(label);
            return;
        }
    }
    state_->frames.append(frame);
    go();
}

Run::~Run() = default;

void Run::go()
{
    Engine engine(*this);
    for (;;) {
        *before_ = *state_;
        *beforeMark_ = {transcript_.pages.size(),
                        transcript_.pages.isEmpty() ? 0 : transcript_.pages.last().lines.size(),
                        transcript_.pages.isEmpty() ? Button::None : transcript_.pages.last().button,
                        transcript_.path.size(), transcript_.effects.size()};
        pendingUsed_ = 0;
        try {
            engine.step();
            pending_.clear();
        } catch (const Waiting &waiting) {
            wait_ = waiting.wait;
            askedKey_ = waiting.key;
            return;
        } catch (const Finished &) {
            wait_ = Wait();
            return;
        }
    }
}

namespace {

bool fits(const Wait &wait, const Answer &answer)
{
    using K = Answer::Kind;
    switch (wait.kind) {
    case Wait::Kind::Button:
        return answer.kind == K::Press;
    case Wait::Kind::Choice:
        return answer.kind == K::Cancel ||
               (answer.kind == K::Choose && answer.choice >= 1 && answer.choice <= wait.choices.size() &&
                !wait.choices.at(answer.choice - 1).isEmpty());
    case Wait::Kind::Input:
        return answer.kind == K::Type;
    case Wait::Kind::Question: {
        if (wait.yesNo)
            return answer.kind == K::Yes || answer.kind == K::No;
        bool number = false;
        const qint64 value = answer.text.trimmed().toLongLong(&number);
        return answer.kind == K::Type && (!wait.ranged || (number && value >= wait.low && value <= wait.high));
    }
    case Wait::Kind::Ended:
        return false;
    }
    return false;
}

} // namespace

bool Run::answer(const Answer &answer)
{
    if (transcript_.ending != Ending::Running || !fits(wait_, answer))
        return false;
    given_.append({wait_.kind, wait_.question, answer});
    // The statement that waited runs again from its start, now with the answer.
    *state_ = *before_;
    transcript_.pages.resize(beforeMark_->pages);
    if (!transcript_.pages.isEmpty()) {
        transcript_.pages.last().lines.resize(beforeMark_->lines);
        transcript_.pages.last().button = beforeMark_->button;
    }
    transcript_.path.resize(beforeMark_->path);
    transcript_.effects.resize(beforeMark_->effects);
    if (wait_.kind == Wait::Kind::Question)
        rememberAnswer(answer);
    else
        pending_.append(answer);
    if (pending_.size() > kMostWaitsInOneStatement) {
        transcript_.ending = Ending::Stopped;
        transcript_.stopMessage =
            QStringLiteral("%1 行目: 一つの文の中で待つ回数が多すぎます").arg(wait_.place.line + 1);
        transcript_.endPlace = wait_.place;
        wait_ = Wait();
        return true;
    }
    go();
    return true;
}

void Run::rememberAnswer(const Answer &answer)
{
    Value value = Value::ofNumber(answer.kind == Answer::Kind::Yes);
    QString said = answer.kind == Answer::Kind::Yes ? QStringLiteral("はい") : QStringLiteral("いいえ");
    if (!wait_.yesNo) {
        value = wait_.wantsText ? Value::ofText(answer.text) : Value::ofNumber(Value::ofText(answer.text).toNumber());
        said = value.toText();
    }
    asked_.insert(askedKey_, value);
    transcript_.path.append({Step::Kind::Answer, QStringLiteral("%1 → %2").arg(wait_.question, said), wait_.place});
}

int replay(Run &run, const QVector<GivenAnswer> &given)
{
    int count = 0;
    for (const GivenAnswer &g : given) {
        const Wait &wait = run.wait();
        if (wait.kind != g.waited || (wait.kind == Wait::Kind::Question && wait.question != g.question))
            break;
        if (!run.answer(g.answer))
            break;
        ++count;
    }
    return count;
}

} // namespace Conversation
