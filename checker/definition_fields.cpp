// The place and the fourth field of a definition line, as each kind reads them.
#include "checker/definition_reader.h"

#include <algorithm>

namespace DefinitionLine {

Fields splitFields(QStringView line, int end, bool (*separator)(QChar), int from)
{
    Fields fields;
    int i = from;
    while (i < end && fields.size() < 4) {
        while (i < end && separator(line.at(i)))
            ++i;
        if (i >= end)
            break;
        int stop = i;
        if (fields.size() < 3) {
            while (stop < end && !separator(line.at(stop)))
                ++stop;
        } else {
            stop = end;
            while (stop > i && isBlank(line.at(stop - 1)))
                --stop;
        }
        fields.append(Field{i, line.sliced(i, stop - i)});
        i = stop;
    }
    return fields;
}

bool isInteger(QStringView text)
{
    text = text.trimmed();
    if (text.startsWith(u'-') || text.startsWith(u'+'))
        text = text.sliced(1);
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

int scannedInteger(QStringView text)
{
    int i = 0;
    while (i < text.size() && isBlank(text.at(i)))
        ++i;
    if (i < text.size() && (text.at(i) == u'-' || text.at(i) == u'+'))
        ++i;
    const int digits = i;
    while (i < text.size() && text.at(i) >= u'0' && text.at(i) <= u'9')
        ++i;
    return i > digits ? i : 0;
}

bool isNameLike(QStringView text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return c == u'_' || c.unicode() >= 0x80 || (c.unicode() < 0x80 && c.isLetterOrNumber());
    });
}

Fields Reader::parts(const Field &field, QChar separator) const
{
    Fields found;
    int start = field.column;
    for (int i = field.column; i <= field.end(); ++i) {
        if (i == field.end() || line_.at(i) == separator) {
            found.append(Field{start, line_.sliced(start, i - start)});
            start = i + 1;
        }
    }
    return found;
}

// What the loader reads of `field` as numbers separated by commas: how many of the
// parts from `from` on it reads in full (at most `count`); a part whose number is
// followed by other text is read as its number and ends the reading, and text that
// follows what was read is reported as ignored.
int Reader::readIntegers(const Fields &all, int from, int count)
{
    const int end = std::min(from + count, int(all.size()));
    for (int i = from; i < end; ++i) {
        const Field &part = all.at(i);
        const int read = scannedInteger(part.text);
        if (read == 0)
            return i - from;
        colour(Colour::Kind::Number, part.column, read);
        if (read < part.text.size() && !part.text.sliced(read).trimmed().isEmpty()) {
            ignored(part.column + read, all.back().end());
            return i - from + 1;
        }
    }
    if (end < all.size())
        ignored(all.at(end).column - 1, all.back().end());
    return end - from;
}

// Text the loader reads past: a comment is left alone, anything else is likely a slip.
void Reader::ignored(int from, int to)
{
    QStringView text = line_.sliced(from, to - from);
    while (!text.isEmpty() && isBlank(text.front())) {
        text = text.sliced(1);
        ++from;
    }
    text = text.trimmed();
    if (text.isEmpty())
        return;
    if (text.startsWith(u"//") || text.startsWith(u"/*")) {
        colour(Colour::Kind::Comment, from, int(text.size()));
        return;
    }
    report(Rule::IgnoredText, from, int(text.size()), {text.toString()});
}

// How many parts of the place were read (at most `maxParts`); 0 for "-" or a place
// that is reported.
int Reader::checkPlace(const Field &place, int minParts, int maxParts, bool facing, const char16_t *form)
{
    if (place.text == u"-")
        return 0;
    const Fields all = parts(place, u',');
    const int numbers = std::min(int(all.size()), maxParts) - 1;
    const int before = int(result_.diagnostics.size());
    const bool ok = all.size() >= minParts && !all.at(0).text.trimmed().isEmpty() &&
                    readIntegers(all, 1, maxParts - 1) >= minParts - 1;
    if (!ok) {
        result_.diagnostics.resize(before);
        report(Rule::PlaceFormat, place.column, int(place.text.size()), {QString::fromUtf16(form)});
        return 0;
    }
    if (facing && numbers >= 3) {
        const QStringView written = all.at(3).text;
        const int value = written.first(scannedInteger(written)).trimmed().toInt();
        // The older loader takes any facing; today's servers do not make the NPC.
        if (value < 0 || value > 7)
            judge(Rule::FacingRange, Target::kToday, kOlderAndLater, all.at(3).column, int(written.size()));
    }
    return numbers + 1;
}

void Reader::readSprite(const Field &field)
{
    const Fields all = parts(field, u',');
    const QStringView sprite = all.at(0).text.trimmed();
    if (sprite.isEmpty() || !(isInteger(sprite) || isNameLike(sprite)))
        report(Rule::SpriteFormat, field.column, std::max(1, int(field.text.size())), {QStringLiteral("見た目")});
    else if (isInteger(sprite))
        colour(Colour::Kind::Number, all.at(0).column, int(all.at(0).text.size()));
}

void Reader::readScript(const Field &field)
{
    const qsizetype brace = field.text.indexOf(u'{');
    if (brace >= 0) {
        result_.braceColumn = field.column + int(brace);
        colour(Colour::Kind::Brace, result_.braceColumn, 1);
    }
    if (result_.kind != Kind::Script)
        return;
    Field before{field.column, field.text.first(brace < 0 ? field.text.size() : brace)};
    // "56,{" leaves "56," before the brace.
    while (!before.text.isEmpty() && (before.text.back() == u',' || isBlank(before.text.back())))
        before.text.chop(1);
    if (before.text.isEmpty()) {
        if (fields_.at(0).text == u"-")
            return; // a floating NPC shows nothing, so the older loader wants no sprite
        report(Rule::SpriteFormat, field.column, 1, {QStringLiteral("見た目,{")});
        return;
    }
    readSprite(before);
}

void Reader::readWarp(const Field &field)
{
    const Fields all = parts(field, u',');
    const int before = int(result_.diagnostics.size());
    const bool ok = all.size() >= 5 && isInteger(all.at(0).text) && isInteger(all.at(1).text) &&
                    !all.at(2).text.trimmed().isEmpty() && readIntegers(all, 3, 2) == 2;
    if (!ok) {
        result_.diagnostics.resize(before);
        report(Rule::WarpFormat, field.column, std::max(1, int(field.text.size())));
    }
}

// "map,x,y[,xs,ys]": the strict family of today's servers wants the spawn area too.
void Reader::readMonsterPlace(const Field &place)
{
    const int read = checkPlace(place, 3, 5, false, u"マップ.tsg,x,y[,xs,ys]");
    if (read > 0 && read < 5)
        judge(Rule::MonsterPlaceShort, Target::TodayStrict, 0, place.column, int(place.text.size()));
}

// "class,count[,delay1,delay2[,event]]" for the older loader; today's servers want
// "id,count,delay1,delay2[,event,size,ai]" with a numeric id and 1 to 1000 of them.
void Reader::readMonster(const Field &field)
{
    const Fields all = parts(field, u',');
    const int count = int(all.size());
    const int length = std::max(1, int(field.text.size()));
    bool ok = count >= 2 && count <= 7 && (isInteger(all.at(0).text) || isNameLike(all.at(0).text.trimmed())) &&
              isInteger(all.at(1).text);
    for (int i = 2; ok && i < std::min(4, count); ++i)
        ok = isInteger(all.at(i).text);
    if (!ok) {
        report(Rule::MonsterFormat, field.column, length);
        return;
    }
    if (count > 5) {
        const Field &size = all.at(5);
        judge(Rule::MonsterFormat, kOlderAndLater, 0, size.column - 1, field.end() - size.column + 1);
    }
    if (count < 4 || !isInteger(all.at(0).text))
        judge(Rule::MonsterFieldsToday, Target::kToday, 0, field.column, length);
    const int spawned = all.at(1).text.trimmed().toInt();
    if (spawned < 1 || spawned > 1000)
        judge(Rule::MonsterCount, Target::kToday, 0, all.at(1).column, std::max(1, int(all.at(1).text.size())));
}

// The place and the fourth field, each as the kind reads them.
void Reader::readPlaceAndFourth(Kind kind, bool readable)
{
    const Field &place = fields_.at(0);
    switch (kind) {
    case Kind::Script:
        checkPlace(place, 4, 4, true, u"マップ.tsg,x,y,向き");
        if (readable)
            readScript(fields_.at(3));
        break;
    case Kind::Function:
    case Kind::Other:
        if (fields_.size() >= 4)
            readScript(fields_.at(3));
        break;
    case Kind::Shop:
        readShopPlace(place);
        if (readable)
            readShop(fields_.at(3));
        break;
    case Kind::Duplicate: {
        checkPlace(place, 4, 4, true, u"マップ.tsg,x,y,向き");
        const QStringView kindText = fields_.at(1).text;
        const qsizetype open = kindText.indexOf(u'(');
        if (open >= 0 && kindText.sliced(open + 1).chopped(1).trimmed().isEmpty())
            report(Rule::DuplicateSource, fields_.at(1).column, int(kindText.size()));
        if (readable)
            readSprite(fields_.at(3));
        break;
    }
    case Kind::Warp:
        checkPlace(place, 3, 4, false, u"マップ.tsg,x,y");
        if (readable)
            readWarp(fields_.at(3));
        break;
    case Kind::Monster:
        readMonsterPlace(place);
        if (readable)
            readMonster(fields_.at(3));
        break;
    case Kind::Mapflag:
    case Kind::None:
        break;
    }
}

} // namespace DefinitionLine
