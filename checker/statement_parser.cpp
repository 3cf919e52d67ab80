#include "checker/parser.h"

#include "common/code_page.h"

namespace StatementParser {

namespace Internal {

void Parser::run()
{
    if (t_.empty())
        return;
    try {
        if (end_ == End::Colon) {
            labelOrCase();
            return;
        }
        bool head = statement();
        // Statements left after one that ended without its ";": the line that
        // follows a lost ";" is read as the statement it is.
        while (!atEnd()) {
            if (!peek().firstOnLine || peek().token.kind == Kind::OpenString)
                unexpected();
            const ChunkToken &before = t_.at(pos_ - 1);
            ChunkToken lost = before;
            lost.token.column += before.token.length - 1;
            lost.token.length = 1;
            // "stopnpctimer" and "end;" below: today's servers silently read the next
            // line as the argument of a command written without one.
            if (std::exchange(joinsNextLine_, false) && peek().token.kind != Kind::Punct)
                judge(Rule::MissingSemicolon, lost, kOlderServers, Target::kToday);
            else
                report(Rule::MissingSemicolon, lost);
            head = statement();
        }
        if (head)
            return; // a block's head takes its "{", or ";" as an empty statement
        if (end_ == End::OpenBrace) {
            const ChunkToken &last = t_.back();
            sink_.diagnostic(last.line, Rule::UnexpectedToken, last.token.column + last.token.length, 1,
                             {QStringLiteral("{")});
        } else if (end_ == End::None) {
            const ChunkToken &last = t_.back();
            if (last.token.kind != Kind::OpenString)
                sink_.diagnostic(last.line, Rule::MissingSemicolon, last.token.column + last.token.length - 1, 1, {});
        }
    } catch (const Abandon &) {
        inForHead_ = false;
        nodes_.clear();
        roots_.clear();
        addStep(FlowStep::Kind::Broken, t_.front());
        // The jumps after a mistake still count, so that their labels do not look unused.
        for (qsizetype i = pos_; i + 1 < count(); ++i) {
            const ChunkToken &word = t_.at(i);
            const ChunkToken &label = t_.at(i + 1);
            if (word.token.kind == Kind::Name && sameWord(word.text, u"goto") && label.token.kind == Kind::Name &&
                BodyTokens::isPlainName(label.text))
                sink_.jump(label.line, label.text.toString(), label.token.column, label.token.length);
        }
    }
}

// A piece that ends at ":": "default", a label, or "case" and its value.
void Parser::labelOrCase()
{
    const ChunkToken &first = t_.front();
    // A label's piece holds its name and its ":", a case's the words before its ":".
    const bool named = count() == 2 && isPunct(1, u":");
    if (named && sameWord(first.text, u"default")) {
        const ChunkToken &colon = t_.at(1);
        switchDefault(first, colon.line != first.line || colon.token.column != first.token.column + first.token.length);
    } else if (named && BodyTokens::isLabelName(first.text)) {
        labelDefinition(first);
    } else if (sameWord(first.text, u"case")) {
        colour(first, Colour::Kind::Command);
        ++pos_;
        checkCaseValue();
        roots_.push_back(expression());
        if (!atEnd())
            unexpected();
        // A plain number names the choice of a select() the case stands for.
        const bool plainNumber = count() == 2 && t_.at(1).token.kind == Kind::Number;
        waits_ = false;
        choices_ = plainNumber ? t_.at(1).text.toInt() : -1;
        addStep(FlowStep::Kind::Case, first);
    } else {
        pos_ = named ? 0 : count() - 1;
        unexpected();
    }
}

// "default:" is taken where no case matches; "default :" is a label of that name to
// today's servers, and the switch has no default at all. Where only they are the
// target, the flow and the preview go past the cases as they do; where others are
// too, it stays the default the writer meant.
void Parser::switchDefault(const ChunkToken &word, bool colonApart)
{
    colour(word, Colour::Kind::Command);
    if (colonApart) {
        judge(Rule::DefaultWithBlank, word, 0, Target::kToday);
        if (commands_.target().isOnly(Target::kToday)) {
            addStep(FlowStep::Kind::Label, word, word.text.toString());
            return;
        }
    } else if (innermost_ && innermost_->isSwitch && innermost_->hasDefault) {
        judge(Rule::CaseRepeated, word, Target::kToday, 0, {word.text.toString()});
    } else if (innermost_ && innermost_->isSwitch) {
        sink_.switchDefault();
    }
    addStep(FlowStep::Kind::Default, word);
}

// Today's servers refuse a case whose value an earlier case of the same switch has,
// however it was written ("1" and "0x1").
void Parser::switchCase(const ChunkToken &value, bool negative)
{
    if (!innermost_ || !innermost_->isSwitch)
        return;
    const QString key = BlockNesting::caseKey(value.text, negative, value.token.kind == Kind::Number);
    if (innermost_->hasCase(key))
        judge(Rule::CaseRepeated, value, Target::kToday, 0,
              {QStringLiteral("case ") + (negative ? QStringLiteral("-") : QString()) + value.text.toString()});
    else
        sink_.switchCase(key);
}

// Today's servers compile each case as a test of a whole number or a constant
// name, read the C way: no text, no variable, no "0b", "0o" or "_".
void Parser::checkCaseValue()
{
    const qsizetype sign = nextIs(u"-") ? 1 : 0;
    const bool single = count() == pos_ + sign + 1;
    const ChunkToken &value = t_.at(std::min(pos_ + sign, count() - 1));
    const bool number = value.token.kind == Kind::Number && !BodyTokens::isTodaysNumber(value.text);
    const bool constant = value.token.kind == Kind::Name && BodyTokens::isPlainName(value.text) && sign == 0;
    if (!single || !(number || constant)) {
        judge(Rule::CaseNotConstant, value, Target::kToday);
        return;
    }
    switchCase(value, sign == 1);
}

// Names of ASCII letters, digits and "_" only: today's servers cut a name at a
// double-byte character and fail to read the line.
void Parser::checkNameIsAscii(const ChunkToken &name)
{
    if (std::any_of(name.text.begin(), name.text.end(), [](QChar c) { return c.unicode() >= 0x80; }))
        judge(Rule::NameNotAscii, name, Target::kToday, 0, {name.text.toString()});
}

void Parser::labelDefinition(const ChunkToken &name)
{
    checkNameIsAscii(name);
    // "close:": today's servers refuse a label named like a command.
    if (commands_.find(name.text))
        judge(Rule::LabelNamedLikeCommand, name, Target::kToday, 0, {name.text.toString()});
    const QString label = name.text.toString();
    colour(name, Colour::Kind::Label);
    sink_.defineLabel(name.line, label, name.token.column, name.token.length);
    addStep(FlowStep::Kind::Label, name, label);
    if (Language::isEventLabel(label)) {
        // Labels are mostly ASCII, one byte a character; only others ask the converter.
        const bool ascii = std::all_of(label.cbegin(), label.cend(), [](QChar c) { return c.unicode() < 0x80; });
        const qsizetype bytes = ascii ? label.size() : CodePage932::encode(label).size();
        if (bytes > Language::kLongestEventLabelBytes)
            report(Rule::EventLabelTooLong, name,
                   {label, QString::number(bytes), QString::number(Language::kLongestEventLabelBytes)});
    }
}

// Returns true when the statement is the head of a block still waiting for its body.
bool Parser::statement()
{
    if (atEnd()) {
        if (end_ == End::Semicolon)
            addStep(FlowStep::Kind::Empty, t_.back());
        else if (end_ == End::OpenBrace && !inForHead_)
            sink_.opensBlock(holders_, switchHead_);
        return true;
    }
    // "if (a) if (b) ..." and "else else ..." nest statements as expressions nest.
    if (++depth_ > kDeepestExpression)
        fail(Rule::TooDeep, peek(), {QString::number(kDeepestExpression)});
    const auto leave = qScopeGuard([this] { --depth_; });
    const ChunkToken &first = peek();
    if (first.token.kind == Kind::Punct &&
        (Language::is(first.text, u"++") || Language::is(first.text, u"--") || Language::is(first.text, u"("))) {
        roots_.push_back(expression());
        addStep(FlowStep::Kind::Other, first);
        return false;
    }
    if (first.token.kind == Kind::String && isPunct(pos_ + 1, u":") && isPunct(pos_ + 2, u":")) {
        roots_.push_back(npcFunctionCall());
        addStep(FlowStep::Kind::Other, first);
        return false;
    }
    if (first.token.kind != Kind::Name)
        unexpected();
    const bool plain = BodyTokens::isPlainName(first.text);
    // "public function Name { ... }": a function other NPCs may call, on today's servers.
    if (plain && (Language::is(first.text, u"public") || Language::is(first.text, u"private")) &&
        pos_ + 1 < limit_ && Language::is(t_.at(pos_ + 1).text, u"function")) {
        judge(Rule::TodaysSyntax, first, kOlderServers, 0, {first.text.toString()});
        colour(first, Colour::Kind::Command);
        ++pos_;
        return keywordStatement(peek());
    }
    if (plain && Language::isKeyword(first.text, Language::StartsStatement) && !sameWord(first.text, u"goto") &&
        !sameWord(first.text, u"end"))
        return keywordStatement(first);
    // An assignment: "@x = 1", ".@i++", "$@list[2] += 3".
    const qsizetype after = pos_ + 1;
    const bool assigns =
        after < limit_ && t_.at(after).token.kind == Kind::Punct &&
        (Language::binaryPrecedence(t_.at(after).text) == 1 || Language::is(t_.at(after).text, u"++") ||
         Language::is(t_.at(after).text, u"--") || Language::is(t_.at(after).text, u"["));
    const Commands::Command *command = plain ? commands_.find(first.text) : nullptr;
    if (command && !assigns)
        return commandStatement(*command);
    if (!plain || assigns)
        return expressionStatement(first, assigns);
    ownFunctionStatement(first);
    addStep(FlowStep::Kind::Call, first, first.text.toString());
    return false;
}

// A statement that is an expression: an assignment ("@x = 1", ".@i++"), or a value
// read for what it does.
bool Parser::expressionStatement(const ChunkToken &first, bool assigns)
{
    if (assigns)
        variables(first, pos_ + 2);
    roots_.push_back(expression());
    addStep(FlowStep::Kind::Other, first);
    // ".@fee = 300, .@tax = 20;": servers that match words in any case skip the
    // character after an assignment; the next one is a statement of its own.
    if (assigns && nextIs(u",")) {
        judge(Rule::CommaAfterAssignment, peek(), Target::kEveryServer & ~Target::TodayAnyCase);
        ++pos_;
        return statement();
    }
    return false;
}

// "Name(1,2);" or "Name 1,2;": a function of the body, or a command the table lacks.
void Parser::ownFunctionStatement(const ChunkToken &name)
{
    ++pos_;
    if (nextIs(u"(")) {
        qsizetype closing = closingOf(pos_);
        if (closing == limit_ - 1) {
            arguments(name, roots_);
            return;
        }
    }
    reportOwnCall(name);
    // Words on a line of their own ("またね。") are a mistake of one kind, not two.
    if (!atEnd() && peek().firstOnLine)
        throw Abandon{};
    while (!atEnd()) {
        if (peek().firstOnLine && startsStatement(pos_))
            return; // a lost ";": the caller reads on from here
        roots_.push_back(expression());
        if (nextIs(u","))
            ++pos_;
        else if (!atEnd() && !peek().firstOnLine)
            report(Rule::MissingComma, peek());
    }
}

void Parser::reportOwnCall(const ChunkToken &name)
{
    sink_.callOwnFunction(name.line, name.text.toString(), name.token.column, name.token.length);
}

// A scope or player variable given a value: "set .@n, 5", "@n = 5", "input .@n". A literal
// of the other type stored in it is worth a word: `valueAt` is where the value
// begins, or -1 when no value is given here.
void Parser::variables(const ChunkToken &target, qsizetype valueAt)
{
    if (!isJudgedVariable(target.text))
        return;
    addStep(FlowStep::Kind::VariableSet, target, target.text.toString());
    if (valueAt < 0 || valueAt >= limit_ || !(valueAt + 1 == limit_ || isPunct(valueAt + 1, u",")))
        return;
    const ChunkToken &value = t_.at(valueAt);
    const bool stringVariable = target.text.endsWith(u'$');
    if ((value.token.kind == Kind::Number && stringVariable) || (value.token.kind == Kind::String && !stringVariable))
        addStep(FlowStep::Kind::TypeMismatch, value, target.text.toString());
}

// Whether a scope or player variable, indexed or not, is the whole argument that begins at
// `i`: a command given it may store into it ("copyarray .@copy[0],...").
bool Parser::isBareVariable(qsizetype i) const
{
    if (i >= limit_ || t_.at(i).token.kind != Kind::Name || !isJudgedVariable(t_.at(i).text))
        return false;
    qsizetype after = i + 1;
    if (isPunct(after, u"[")) {
        const qsizetype close = closingOf(after);
        if (close < 0)
            return false;
        after = close + 1;
    }
    return after == limit_ || isPunct(after, u",") || isPunct(after, u")");
}

// How many choices the select() whose "(" is at `open` offers: each string
// argument's parts between ":", or 0 when an argument is not a plain string.
bool Parser::keywordStatement(const ChunkToken &first)
{
    const QStringView word = first.text;
    colour(first, Colour::Kind::Command);
    checkKeywordCase(first);
    ++pos_;
    switchHead_ = false;
    using Step = FlowStep::Kind;
    if (sameWord(word, u"if")) {
        // The condition is one whole expression: "if (a) || (b) goto L;".
        const qsizetype start = pos_;
        roots_.push_back(operators(parenthesised(), start, 2));
        addStep(Step::If, first);
        return statement();
    }
    if (sameWord(word, u"while") || sameWord(word, u"switch")) {
        // "switch (@menu)" reads the choice of the menu before it.
        const bool onMenu =
            pos_ + 2 < limit_ && Language::is(t_.at(pos_ + 1).text, u"@menu") && isPunct(pos_ + 2, u")");
        roots_.push_back(parenthesised());
        const bool loop = sameWord(word, u"while");
        addStep(loop ? Step::While : Step::Switch, first, onMenu ? QStringLiteral("@menu") : QString());
        return heldStatement(loop ? BlockNesting::Loop : BlockNesting::Switch, !loop);
    }
    if (sameWord(word, u"for")) {
        if (atEnd())
            unexpected(); // "for" alone: its "(" is missing
        const ChunkToken &open = peek();
        expect(u"(", Rule::UnexpectedToken, first);
        inForHead_ = true;
        for (int part = 0; part < 3; ++part)
            forPart(part, open);
        inForHead_ = false;
        addStep(Step::For, first);
        return heldStatement(BlockNesting::Loop, false);
    }
    if (sameWord(word, u"else")) {
        addStep(Step::Else, first);
        return statement();
    }
    if (sameWord(word, u"do")) {
        addStep(Step::Do, first);
        return heldStatement(BlockNesting::Loop, false);
    }
    if (sameWord(word, u"function"))
        return functionOfBody();
    // A value may stand on the next line; a statement there means none was given.
    if (sameWord(word, u"return") && !atEnd() && !startsStatement(pos_))
        roots_.push_back(expression());
    const bool isBreak = sameWord(word, u"break");
    if (isBreak || sameWord(word, u"continue"))
        checkLoopExit(first, isBreak);
    addStep(isBreak ? Step::Break : sameWord(word, u"continue") ? Step::Continue : Step::Return, first);
    return false;
}

// The statement a loop or a switch holds, with what holds it.
bool Parser::heldStatement(BlockNesting::Holders holder, bool isSwitch)
{
    const BlockNesting::Holders outer = holders_;
    holders_ |= holder;
    switchHead_ = isSwitch;
    const bool head = statement();
    holders_ = outer;
    return head;
}

// "break" belongs to the loop or switch around it, "continue" to the loop: today's
// servers refuse either where there is none.
void Parser::checkLoopExit(const ChunkToken &word, bool isBreak)
{
    const BlockNesting::Holders needed = isBreak ? (BlockNesting::Loop | BlockNesting::Switch) : BlockNesting::Loop;
    if ((holders_ & needed) == 0)
        judge(Rule::BreakOutsideLoop, word, Target::kToday, 0,
              {word.text.toString(), isBreak ? QStringLiteral("繰り返しか switch") : QStringLiteral("繰り返し")});
}

// "function Name;" declares a function of the body, "function Name {" defines it.
bool Parser::functionOfBody()
{
    if (!nextIsName() || !BodyTokens::isPlainName(peek().text))
        unexpected();
    const ChunkToken &name = peek();
    ++pos_;
    if (!atEnd())
        unexpected();
    const bool definition = end_ == End::OpenBrace;
    colour(name, definition ? Colour::Kind::Label : Colour::Kind::Command);
    if (definition) // no loop around the function is around its statements
        sink_.opensBlock(BlockNesting::Nothing, false);
    addStep(definition ? FlowStep::Kind::FunctionDefinition : FlowStep::Kind::FunctionDeclaration, name,
            name.text.toString());
    sink_.declareFunction(name.line, name.text.toString(), name.token.column, name.token.length, definition);
    return true;
}

// "for (set .@i,0; .@i < 5; .@i++)": the first and last parts are statements, the
// middle one a condition.
void Parser::forPart(int part, const ChunkToken &open)
{
    const QStringView closer = part < 2 ? QStringView(u";") : QStringView(u")");
    qsizetype stop = pos_;
    for (int depth = 0; stop < limit_; ++stop) {
        if (depth == 0 && isPunct(stop, closer))
            break;
        if (isPunct(stop, u"(") || isPunct(stop, u"["))
            ++depth;
        else if (isPunct(stop, u")") || isPunct(stop, u"]"))
            --depth;
    }
    if (stop == limit_)
        fail(Rule::MissingParenthesis, open);
    const size_t firstRoot = roots_.size();
    if (stop > pos_) {
        const qsizetype outer = limit_;
        limit_ = stop;
        forCommand_ = nullptr;
        if (part == 1)
            roots_.push_back(expression());
        else
            statement();
        if (!atEnd())
            unexpected();
        limit_ = outer;
        if (forCommand_)
            forCommand(firstRoot, *forCommand_);
    }
    if (roots_.size() > firstRoot + 1 && part != 1)
        roots_.resize(firstRoot + 1); // "for (.@i = 0, .@n = 5; ...)": the first assignment stands for the part
    if (roots_.size() != firstRoot + 1) { // a part left out, or one with no value
        roots_.resize(firstRoot);
        roots_.push_back(node(Expression::Kind::None, open, pos_ - 1));
    }
    pos_ = stop + 1;
}

// The servers of the target that lack a command, and those that match words
// exactly where it is written in another case.
void Parser::checkCommandWord(const ChunkToken &word, const Commands::Command &command)
{
    const Target::Servers lacking = Target::kEveryServer & ~command.servers;
    if (lacking != 0)
        judge(Rule::UnknownCommand, word, lacking, 0, {word.text.toString(), QString()});
    if (word.text != QStringView(command.word))
        judge(Rule::WrongCase, word, Target::TodayStrict, 0, {word.text.toString(), command.word});
}

// Statement words are lower case; only servers that match words exactly mind.
void Parser::checkKeywordCase(const ChunkToken &word)
{
    const bool lower = std::none_of(word.text.begin(), word.text.end(), [](QChar c) { return c.isUpper(); });
    if (!lower)
        judge(Rule::WrongCase, word, Target::TodayStrict, 0, {word.text.toString(), word.text.toString().toLower()});
}

bool Parser::commandStatement(const Commands::Command &command)
{
    const ChunkToken &word = peek();
    colour(word, Colour::Kind::Command);
    checkCommandWord(word, command);
    ++pos_;
    labels_.clear();
    if (inForHead_)
        forCommand_ = &word;
    if (sameWord(command.word, u"goto")) {
        const bool parenthesised = nextIs(u"(") && isPunct(pos_ + 2, u")");
        pos_ += parenthesised ? 1 : 0;
        label();
        pos_ += parenthesised ? 1 : 0;
        addStep(FlowStep::Kind::Command, word, QStringLiteral("goto"), labels_, FlowStep::Word::Goto);
        return false;
    }
    // "getitem(501,1);": the parentheses hold the arguments.
    qsizetype closing = nextIs(u"(") ? closingOf(pos_) : -1;
    if (closing != limit_ - 1)
        closing = -1;
    const qsizetype outerLimit = limit_;
    if (closing >= 0) {
        ++pos_;
        limit_ = closing;
    }
    // "next" and then "menu ..." on the next line: a lost ";", not an argument.
    const bool cut = !atEnd() && closing < 0 && startsStatement(pos_);
    joinsNextLine_ = cut && command.max != 0;
    const int count = cut ? 0 : commandArguments(command, closing >= 0);
    if (closing >= 0) {
        limit_ = outerLimit;
        pos_ = closing + 1;
    }
    checkCount(word, command, count);
    waits_ = waits_ || sameWord(command.word, u"input") || sameWord(command.word, u"menu");
    addStep(FlowStep::Kind::Command, word, command.lower, labels_, Language::flowWord(command.lower), command.window);
    return false;
}

// The arguments of a command, each read as the table says (a label, or an
// expression); returns how many. A line that begins without a "," between is the
// next statement after a lost ";", unless the arguments stand in parentheses.
int Parser::commandArguments(const Commands::Command &command, bool inParentheses)
{
    const bool menu = sameWord(command.word, u"menu");
    const bool callfunc = sameWord(command.word, u"callfunc");
    int count = 0;
    while (!atEnd()) {
        if (menu && count % 2 == 1) {
            menuLabel();
        } else if (command.labelAt(count)) {
            label();
        } else {
            if (command.storesInto(count, false) && isBareVariable(pos_))
                variables(peek(), count == 0 && sameWord(command.word, u"set") ? pos_ + 2 : -1);
            roots_.push_back(expression());
        }
        if (callfunc && count == 0 && t_.at(pos_ - 1).token.kind == Kind::String &&
            (pos_ - 1 == 0 || !Language::is(t_.at(pos_ - 2).text, u"+"))) {
            const ChunkToken &name = t_.at(pos_ - 1);
            sink_.callFunction(name.line, name.text.sliced(1, name.text.size() - 2).toString(), name.token.column,
                               name.token.length);
        }
        ++count;
        if (atEnd())
            break;
        if (nextIs(u",")) {
            ++pos_;
            if (atEnd() && inParentheses)
                break; // "select("a","b",)": a comma before ")" ends the arguments
            if (atEnd())
                unexpected();
            continue;
        }
        if (peek().firstOnLine && !inParentheses)
            break; // a lost ";": the caller reads on from here
        report(Rule::MissingComma, peek());
    }
    return count;
}

void Parser::checkCount(const ChunkToken &word, const Commands::Command &command, int count)
{
    if (sameWord(command.word, u"menu")) {
        if (count == 0 || count % 2 == 1)
            report(Rule::MenuPairs, word);
        return;
    }
    Target::Servers warners = 0;
    const Target::Servers refusers = command.refusersOfCount(count, &warners);
    if (refusers | warners)
        judge(Rule::ArgumentCount, word, refusers, warners,
              {command.word,
               Language::argumentCount(command, commands_.target().servers() & (refusers | warners)),
               QString::number(count)});
}

void Parser::label()
{
    const qsizetype end = labelEnd(pos_);
    if (end < 0)
        unexpected();
    const ChunkToken &first = peek();
    const ChunkToken &last = t_.at(end - 1);
    const int length = last.token.column + last.token.length - first.token.column;
    sink_.colour(first.line, Colour::Kind::Label, first.token.column, length);
    const QStringView text(first.text.data(), length);
    sink_.jump(first.line, text.toString(), first.token.column, length);
    labels_.append(text.toString());
    const qsizetype from = pos_;
    pos_ = end;
    const int label = node(Expression::Kind::Label, first, from);
    nodes_[label].length = length;
    roots_.push_back(label);
}

// Where a label's name that begins at token `i` ends: a plain name, or a number
// with the name characters written right after it ("1000", "2F_Hall"); -1 for none.
qsizetype Parser::labelEnd(qsizetype i) const
{
    if (i >= limit_)
        return -1;
    const ChunkToken &token = t_.at(i);
    if (token.token.kind == Kind::Name)
        return BodyTokens::isLabelName(token.text) ? i + 1 : -1; // "2F" is a name today
    if (token.token.kind != Kind::Number ||
        !std::all_of(token.text.begin(), token.text.end(), [](QChar c) { return c.isDigit(); }))
        return -1;
    if (i + 1 < limit_ && t_.at(i + 1).token.kind == Kind::Name && t_.at(i + 1).line == token.line &&
        t_.at(i + 1).token.column == token.token.column + token.token.length &&
        BodyTokens::isPlainName(t_.at(i + 1).text))
        return i + 2;
    return i + 1;
}

// A menu choice's label: a name, or "-" to go on with the next statement.
void Parser::menuLabel()
{
    if (nextIs(u"-") && (pos_ + 1 == limit_ || isPunct(pos_ + 1, u","))) {
        ++pos_;
        labels_.append(QStringLiteral("-"));
        roots_.push_back(node(Expression::Kind::Label, t_.at(pos_ - 1), pos_ - 1));
        return;
    }
    if (labelEnd(pos_) >= 0) {
        label();
        return;
    }
    if (atEnd())
        unexpected();
    fail(Rule::MenuPairs, peek());
}

} // namespace Internal

void parse(const std::vector<ChunkToken> &tokens, End end, const Commands::Table &commands,
           const BlockNesting::Blocks &innermost, Sink &sink)
{
    Internal::Parser(tokens, end, commands, innermost, sink).run();
}
} // namespace StatementParser
