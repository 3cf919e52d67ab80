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

ScriptSnapshot::ScriptSnapshot(ScriptLines lines, std::shared_ptr<const Commands::Table> commands)
    : lines_(std::move(lines)), count_(lines_.count()),
      commands_(commands ? std::move(commands) : Commands::Table::builtIn())
{
}

ScriptSnapshot::~ScriptSnapshot() = default;

std::optional<Source> ScriptSnapshot::bodyFrom(int definitionLine)
{
    if (bodies_.contains(definitionLine))
        return bodies_.value(definitionLine);
    const std::optional<DefinitionLine::Definition> definition = bodyDefinition(lines_.at(definitionLine));
    if (!definition)
        return std::nullopt;
    // The checker says where the body ends: lines go in one by one until its
    // braces close, so that a short body of a long script costs a short read.
    auto check = std::make_unique<ScriptCheck>(commands_);
    bool opened = false;
    for (int next = definitionLine; next < count_; ++next) {
        check->replaceLines(check->lineCount(), 0, {lines_.at(next)});
        const int last = check->bodyEnd(0);
        if (last < check->lineCount() - 1) { // the next definition began with the body still open
            check->replaceLines(last + 1, check->lineCount() - last - 1, {});
            break;
        }
        const int depth = check->braceDepthAfter(check->lineCount() - 1);
        opened = opened || depth > 0;
        if (opened && depth == 0)
            break;
    }
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
