#include "conversation/script_snapshot.h"

#include "checker/definition_line.h"
#include "checker/language.h"
#include "checker/script_check.h"

#include <algorithm>
#include <iterator>

namespace Conversation {

namespace {

// A line the loader may read as a definition opening a body: it starts with no blank.
std::optional<DefinitionLine::Definition> bodyDefinition(const QString &text)
{
    if (text.isEmpty() || text.at(0).isSpace() || text.startsWith(u"//"))
        return std::nullopt;
    DefinitionLine::Definition definition = DefinitionLine::read(text);
    if (!definition.hasBody() || definition.indented)
        return std::nullopt;
    return definition;
}

bool withoutPlayer(const QString &definitionText, bool isFunction, const QString &label)
{
    static const char16_t *const kTimed[] = {u"OnInit", u"OnTimer", u"OnClock", u"OnMinute",
                                             u"OnHour", u"OnDay",   u"OnAgit"};
    if (!label.isEmpty())
        return std::any_of(std::begin(kTimed), std::end(kTimed),
                           [&](const char16_t *prefix) { return label.startsWith(QStringView(prefix)); });
    return !isFunction && (definitionText.startsWith(u"-\t") || definitionText.startsWith(u"- "));
}

} // namespace

ScriptSnapshot::ScriptSnapshot(ScriptLines lines) : lines_(std::move(lines)), count_(lines_.count()) {}

ScriptSnapshot::~ScriptSnapshot() = default;

// The line of the "}" that closes the body, counting braces outside strings and
// comments; without one, the line before the next definition, or the last line.
int ScriptSnapshot::bodyEnd(int definitionLine, int braceColumn) const
{
    int depth = 0;
    bool inComment = false;
    bool opened = false;
    for (int line = definitionLine; line < count_; ++line) {
        const QString text = lines_.at(line);
        if (line > definitionLine && bodyDefinition(text) && depth <= (opened ? 1 : 0))
            return line - 1;
        const int from = line == definitionLine ? std::max(0, braceColumn) : 0;
        const BodyTokens::Line read = BodyTokens::tokenize(text, from, inComment);
        inComment = read.endsInComment;
        for (const BodyTokens::Token &token : read.tokens) {
            if (token.kind != BodyTokens::Token::Kind::Punct || token.length != 1)
                continue;
            const QChar c = text.at(token.column);
            if (c == u'{') {
                ++depth;
                opened = true;
            } else if (c == u'}' && opened && --depth == 0) {
                return line;
            }
        }
    }
    return int(count_) - 1;
}

std::optional<Source> ScriptSnapshot::bodyFrom(int definitionLine)
{
    if (bodies_.contains(definitionLine))
        return bodies_.value(definitionLine);
    const std::optional<DefinitionLine::Definition> definition = bodyDefinition(lines_.at(definitionLine));
    if (!definition)
        return std::nullopt;
    const int last = bodyEnd(definitionLine, definition->braceColumn);
    QStringList body;
    for (int line = definitionLine; line <= last; ++line)
        body.append(lines_.at(line));
    auto check = std::make_unique<ScriptCheck>();
    check->replaceLines(0, 0, body);
    const Source source{check.get(), 0, definitionLine, QString()};
    checks_.push_back(std::move(check));
    bodies_.insert(definitionLine, source);
    return source;
}

std::optional<ScriptSnapshot::Target> ScriptSnapshot::targetAt(int line)
{
    if (line < 0 || line >= count_)
        return std::nullopt;
    for (int definitionLine = line; definitionLine >= 0; --definitionLine) {
        const std::optional<DefinitionLine::Definition> definition = bodyDefinition(lines_.at(definitionLine));
        if (!definition)
            continue;
        const std::optional<Source> source = bodyFrom(definitionLine);
        if (!source || line > definitionLine + source->check->lineCount() - 1)
            return std::nullopt; // the cursor stands after that body, in no body
        Target target{*source, definition->name, {}};
        for (const LabelRules::LabelUse &label : source->check->labelDefinitions(line - definitionLine)) {
            if (Language::isEventLabel(label.label))
                target.label = label.label;
        }
        target.withoutPlayer = withoutPlayer(source->check->text(0), definition->isFunction(), target.label);
        return target;
    }
    return std::nullopt;
}

std::optional<ScriptSnapshot::Target> ScriptSnapshot::targetNamed(const QString &name)
{
    for (int line = 0; line < count_; ++line) {
        const std::optional<DefinitionLine::Definition> definition = bodyDefinition(lines_.at(line));
        if (definition && definition->name == name)
            return targetAt(line);
    }
    return std::nullopt;
}

std::optional<Source> ScriptSnapshot::function(const QString &name)
{
    if (!functions_) {
        functions_.emplace();
        for (int line = 0; line < count_; ++line) {
            const QString text = lines_.at(line);
            if (!text.startsWith(u"function", Qt::CaseInsensitive))
                continue;
            const std::optional<DefinitionLine::Definition> definition = bodyDefinition(text);
            if (definition && definition->isFunction() && !functions_->contains(definition->name))
                functions_->insert(definition->name, line);
        }
    }
    const auto found = functions_->constFind(name);
    return found == functions_->constEnd() ? std::nullopt : bodyFrom(*found);
}

} // namespace Conversation
