// What today's servers read otherwise in a definition line: they split it on every
// tab (two in a row make an empty field), match kind words exactly in lower case,
// want an NPC's "{" right after a comma and a function's right after its tab, and
// cut names to 24 bytes.
#include "checker/definition_reader.h"

#include "common/code_page.h"

#include <algorithm>

namespace DefinitionLine {

namespace {

// Each part of "Display::Unique" is cut to this many bytes.
constexpr int kNamePartBytes = 24;

} // namespace

// The column of the `n`th tab (from 1) after the blanks the line begins with, or -1.
int Reader::todayTab(int n) const
{
    qsizetype at = indent_ - 1;
    for (int i = 0; i < n; ++i) {
        at = line_.indexOf(u'\t', at + 1);
        if (at < 0)
            return -1;
    }
    return int(at);
}

// Two tabs in a row before the fourth field: today's servers read an empty kind or
// name there, where the older loader counts the run as one. False when they do.
bool Reader::judgeTabs()
{
    for (int n = 1; n <= 2; ++n) {
        const int tab = todayTab(n);
        if (tab < 0)
            return true;
        if (tab + 1 < line_.size() && line_.at(tab + 1) == u'\t') {
            judge(Rule::EmptyField, Target::kToday, 0, tab, 2);
            return false;
        }
    }
    return true;
}

// A kind word the target's servers may not know, or know only in lower case.
void Reader::judgeKindWord()
{
    const Field &field = fields_.at(1);
    const int length = int(field.text.size());
    if (!kindWord_ || kindGuessed_) {
        // The older loader skips a kind it does not know without a word; today's servers report it.
        if (result_.kind == Kind::Other)
            judge(Rule::KindUnknown, Target::kToday, 0, field.column, length, {field.text.toString()});
        return;
    }
    const Servers lacking = Target::kEveryServer & ~kindWord_->servers;
    if (lacking != 0)
        judge(Rule::KindUnknown, lacking, 0, field.column, length, {field.text.toString()});
    const QStringView written =
        kindWord_->kind == Kind::Duplicate ? field.text.first(kindWord_->word.size()) : field.text;
    if (written != kindWord_->word)
        judge(Rule::KindCase, Target::TodayStrict, 0, field.column, int(written.size()),
              {written.toString(), kindWord_->word.toString()});
}

// "sprite,{": an NPC's body opens on its definition line, with "{" right after a
// comma; a floating NPC needs the sprite as well.
void Reader::judgeBodyBrace()
{
    if (result_.kind == Kind::Function) {
        judgeFunctionBrace();
        return;
    }
    if (result_.kind != Kind::Script || kindMissing_ || fields_.size() < 4)
        return;
    const int brace = result_.braceColumn;
    if (brace < 0) {
        const Field &fourth = fields_.at(3);
        judge(Rule::BraceNotAfterComma, Target::kToday, 0, fourth.column, std::max(1, int(fourth.text.size())));
    } else if (line_.at(brace - 1) != u',') {
        judge(Rule::BraceNotAfterComma, Target::kToday, 0, brace, 1);
    }
}

// "function<TAB>script<TAB>Name<TAB>{": the fourth field begins with the "{".
void Reader::judgeFunctionBrace()
{
    const int tab = todayTab(3);
    if (tab >= 0 && tab + 1 < line_.size() && line_.at(tab + 1) == u'{')
        return;
    const Field &name = fields_.at(2);
    const int column = tab >= 0 ? tab + 1 : name.end();
    judge(Rule::FunctionBraceNotFirst, Target::kToday, 0, std::min(column, int(line_.size()) - 1), 1);
}

void Reader::judgeNameLength(const Field &name)
{
    const qsizetype separator = name.text.indexOf(u"::");
    const Field parts[] = {
        {name.column, separator < 0 ? name.text : name.text.first(separator)},
        {separator < 0 ? name.end() : name.column + int(separator) + 2,
         separator < 0 ? QStringView() : name.text.sliced(separator + 2)},
    };
    for (const Field &part : parts) {
        // No character takes more than two bytes: most names are let go without
        // asking the converter, which costs as much as reading a short line.
        if (part.text.size() * 2 <= kNamePartBytes)
            continue;
        const bool ascii =
            std::all_of(part.text.begin(), part.text.end(), [](QChar c) { return c.unicode() < 0x80; });
        const qsizetype bytes = ascii ? part.text.size() : CodePage932::encode(part.text).size();
        if (bytes > kNamePartBytes)
            judge(Rule::NamePartTooLong, 0, Target::kToday, part.column, int(part.text.size()),
                  {part.text.toString(), QString::number(bytes)});
    }
}

} // namespace DefinitionLine
