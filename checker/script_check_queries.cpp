#include "checker/script_check.h"

#include "checker/language.h"
#include "checker/rules.h"
#include "checker/script_line.h"

#include <algorithm>

// What the editor, the command line and the language server ask of the store.

using BodyTokens::Token;

bool ScriptCheck::hasDiagnostics(const Line &line)
{
    // Calls count: their warnings are judged outside, and a directive silences them too.
    return !line.codePage.isEmpty() || !line.found.isEmpty() || !line.labels.isEmpty() || line.unclosedBody ||
           line.missingBody || line.openComment || !line.directive.diagnostics.isEmpty() || !line.calls.isEmpty() ||
           !line.flow.isEmpty();
}

bool ScriptCheck::silenced(int number, const QString &code) const
{
    return Directives::silences(fileSilence_, code) ||
           (number >= 0 && number < lineCount() && Directives::silences(lines_[size_t(number)]->silenced, code));
}

Diagnostics ScriptCheck::diagnostics(int number) const
{
    if (number < 0 || number >= lineCount())
        return {};
    const Line &line = *lines_[size_t(number)];
    Diagnostics all = line.codePage + line.found;
    const DefinitionLine::Definition &definition = line.definition;
    const int brace = definition.braceColumn >= 0 ? definition.braceColumn : definition.nameColumn;
    if (line.unclosedBody)
        all.append(Rules::make(Rule::UnclosedBody, 0, brace, 1, {definition.name}));
    if (line.missingBody)
        all.append(Rules::make(Rule::MissingBody, 0, definition.nameColumn, definition.nameLength, {definition.name}));
    if (line.openComment)
        all.append(Rules::make(Rule::OpenComment, 0, line.commentColumn, 2));
    all += line.labels;
    for (Diagnostic flow : line.flow) {
        for (Diagnostic::Related &related : flow.related)
            related.line += number;
        for (Diagnostic::Decision &decision : flow.path)
            decision.line += number;
        all.append(std::move(flow));
    }
    all += line.directive.diagnostics;
    if (&line == firstStop_) {
        Diagnostic stop = stopFinding(number);
        if (!stop.code.isEmpty())
            all.append(std::move(stop));
    }
    if (fileSilence_ || line.silenced) {
        all.erase(std::remove_if(all.begin(), all.end(),
                                 [&](const Diagnostic &diagnostic) {
                                     return Directives::silences(fileSilence_, diagnostic.code) ||
                                            Directives::silences(line.silenced, diagnostic.code);
                                 }),
                  all.end());
    }
    for (Diagnostic &diagnostic : all)
        diagnostic.line = number;
    std::stable_sort(all.begin(), all.end(),
                     [](const Diagnostic &a, const Diagnostic &b) { return a.column < b.column; });
    return all;
}

Diagnostics ScriptCheck::allDiagnostics() const
{
    Diagnostics all;
    for (int number = 0; number < lineCount(); ++number) {
        const Line *line = lines_[size_t(number)].get();
        if (hasDiagnostics(*line) || line == firstStop_)
            all += diagnostics(number);
    }
    relateUnclosedBodies(all);
    return all;
}

void relateUnclosedBodies(Diagnostics &all)
{
    // A "{" never closed, and the next definition that runs into its body, point at
    // each other; nothing lies between them but the body.
    Diagnostic *unclosed = nullptr;
    for (Diagnostic &diagnostic : all) {
        if (diagnostic.rule == Rule::UnclosedBody) {
            unclosed = &diagnostic;
        } else if (diagnostic.rule == Rule::BodyRunsIntoDefinition && unclosed) {
            unclosed->related.append({diagnostic.line, diagnostic.column, diagnostic.length, diagnostic.message});
            diagnostic.related.append({unclosed->line, unclosed->column, unclosed->length, unclosed->message});
            unclosed = nullptr;
        }
    }
}

const QVector<Colour> &ScriptCheck::colours(int number) const
{
    static const QVector<Colour> kNone;
    return number >= 0 && number < lineCount() ? lines_[size_t(number)]->colours : kNone;
}

QVector<ScriptCheck::FunctionUse> ScriptCheck::functionDefinitions() const
{
    QVector<FunctionUse> found;
    for (int number = 0; number < lineCount(); ++number) {
        const Line &line = *lines_[size_t(number)];
        if (line.definesFunction)
            found.append(functionDefinedOn(number));
    }
    return found;
}

QVector<ScriptCheck::FunctionUse> ScriptCheck::functionCalls() const
{
    QVector<FunctionUse> found;
    for (int number = 0; number < lineCount(); ++number) {
        for (const CallfuncSite &call : std::as_const(lines_[size_t(number)]->calls))
            found.append(FunctionUse{call.name, number, call.column, call.length});
    }
    return found;
}

ScriptCheck::PlayerVariables ScriptCheck::playerVariablesOn(int number) const
{
    PlayerVariables found;
    if (number >= 0 && number < lineCount())
        addPlayerVariables(*lines_[size_t(number)], number, found);
    return found;
}

ScriptCheck::PlayerVariables ScriptCheck::playerVariables() const
{
    // Gathered straight into one list: most lines hold none.
    PlayerVariables found;
    for (int number = 0; number < lineCount(); ++number)
        addPlayerVariables(*lines_[size_t(number)], number, found);
    return found;
}

void ScriptCheck::addPlayerVariables(const Line &line, int number, PlayerVariables &found)
{
    const qsizetype setsBefore = found.sets.size();
    for (const FlowStep &step : line.steps) {
        const bool set = step.kind == FlowStep::Kind::VariableSet;
        if (!(set || step.kind == FlowStep::Kind::VariableRead) || !Language::isPlayerVariable(step.text))
            continue;
        // The variable a statement sets is read there too ("set @n,1"): that is no read.
        const bool target = !set && found.sets.size() > setsBefore && found.sets.back().column == step.column;
        if (!target)
            (set ? found.sets : found.reads).append(VariableUse{step.text, number, step.column, step.length});
    }
}

const QString &ScriptCheck::text(int number) const
{
    static const QString kNone;
    return number >= 0 && number < lineCount() ? lines_[size_t(number)]->text : kNone;
}

const DefinitionLine::Definition *ScriptCheck::definitionOn(int number) const
{
    if (number < 0 || number >= lineCount())
        return nullptr;
    const Line &line = *lines_[size_t(number)];
    if (line.definition.kind == DefinitionLine::Kind::None)
        return nullptr;
    // Read as a definition at the top level, comments or not, and where it cuts
    // short a body it finds open; not inside a comment of a body.
    const State before = number > 0 ? lines_[size_t(number - 1)]->after : State{};
    if (before.region != State::Region::Top && (before.inComment || line.definition.indented))
        return nullptr;
    return &line.definition;
}

int ScriptCheck::bodyEnd(int number) const
{
    const DefinitionLine::Definition *definition = definitionOn(number);
    if (!definition || !definition->hasBody())
        return number;
    const quint64 id = lines_[size_t(number)]->id;
    int end = number;
    while (end + 1 < lineCount() && lines_[size_t(end)]->after.body == id && !definitionOn(end + 1))
        ++end;
    return end;
}

std::pair<int, int> ScriptCheck::bodyAround(int number) const
{
    if (number < 0 || number >= lineCount())
        return {-1, -1};
    const quint64 id = lines_[size_t(number)]->body;
    if (id == 0)
        return {-1, -1};
    int first = number;
    while (lines_[size_t(first)]->id != id) {
        if (first == 0)
            return {-1, -1};
        --first;
    }
    return {first, bodyEnd(first)};
}

const QVector<LabelRules::LabelUse> &ScriptCheck::labelDefinitions(int number) const
{
    static const QVector<LabelRules::LabelUse> kNone;
    return number >= 0 && number < lineCount() ? lines_[size_t(number)]->defines : kNone;
}

const QVector<LabelRules::LabelUse> &ScriptCheck::labelJumps(int number) const
{
    static const QVector<LabelRules::LabelUse> kNone;
    return number >= 0 && number < lineCount() ? lines_[size_t(number)]->jumps : kNone;
}

const QVector<CallfuncSite> &ScriptCheck::callsOn(int number) const
{
    static const QVector<CallfuncSite> kNone;
    return number >= 0 && number < lineCount() ? lines_[size_t(number)]->calls : kNone;
}

const FlowSteps &ScriptCheck::stepsOn(int number) const
{
    static const FlowSteps kNone;
    return number >= 0 && number < lineCount() ? lines_[size_t(number)]->steps : kNone;
}

bool ScriptCheck::statementGoesOn(int number) const
{
    return number >= 0 && number < lineCount() && lines_[size_t(number)]->after.chunkOpen;
}

bool ScriptCheck::commentGoesOn(int number) const
{
    if (number < 0 || number >= lineCount())
        return false;
    const State &after = lines_[size_t(number)]->after;
    return after.inComment && after.region != State::Region::Top;
}

int ScriptCheck::braceDepthAfter(int number) const
{
    if (number < 0 || number >= lineCount())
        return 0;
    const State &after = lines_[size_t(number)]->after;
    return after.region == State::Region::Body ? after.depth : 0;
}

std::pair<int, int> ScriptCheck::commandWordAt(int number, int column) const
{
    if (number < 0 || number >= lineCount())
        return {-1, 0};
    for (const Colour &word : std::as_const(lines_[size_t(number)]->commandWords)) {
        if (column >= word.column && column <= word.column + word.length)
            return {word.column, word.length};
    }
    return {-1, 0};
}

bool ScriptCheck::isCommentOrString(int number, int column) const
{
    if (number < 0 || number >= lineCount())
        return false;
    const Line &line = *lines_[size_t(number)];
    if (line.tokensFrom >= 0 && column >= line.tokensFrom) {
        BodyTokens::Line readAgain;
        if (!options_.tokens)
            readAgain = BodyTokens::tokenize(line.text, line.tokensFrom, line.tokensInComment, &commands_->target());
        const BodyTokens::Line &tokens = options_.tokens ? line.tokens : readAgain;
        for (const Token &token : tokens.tokens) {
            if (column >= token.column && column < token.column + token.length)
                return token.kind == Token::Kind::Comment || token.kind == Token::Kind::String ||
                       token.kind == Token::Kind::OpenString;
        }
        return false;
    }
    // A definition line's own part: a comment after its fields.
    const QStringView before = QStringView(line.text).first(std::clamp(column, 0, int(line.text.size())));
    return before.contains(u"//") || before.contains(u"/*");
}

ScriptCheck::FunctionUse ScriptCheck::functionDefinedOn(int number) const
{
    if (number < 0 || number >= lineCount() || !lines_[size_t(number)]->definesFunction)
        return {};
    const Line &line = *lines_[size_t(number)];
    return FunctionUse{line.definition.name.trimmed(), number, line.definition.nameColumn, line.definition.nameLength};
}
