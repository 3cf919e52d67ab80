#include "checker/definition_line.h"

#include "checker/language.h"
#include "checker/rules.h"
#include "checker/spelling.h"

#include <QStringList>
#include <QStringTokenizer>
#include <QVarLengthArray>

namespace DefinitionLine {

namespace {

struct Field
{
    int column = 0;
    QStringView text;
    int end() const { return column + int(text.size()); }
};

// A line's fields, or a field's parts: most lines have a handful, kept without allocating.
using Fields = QVarLengthArray<Field, 8>;

bool isTab(QChar c)
{
    return c == u'\t';
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\u3000';
}

// Splits [0, end) into at most four fields at runs of the separator; the fourth takes the rest.
Fields splitFields(QStringView line, int end, bool (*separator)(QChar), int from = 0)
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

// How much of `text` a "%d" of the loader reads: blanks, a sign and digits; 0 when
// it reads no digit. What follows is ignored by the loader.
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

struct KindWord
{
    QStringView word;
    Kind kind;
};
constexpr KindWord kKinds[] = {{u"script", Kind::Script},
                               {u"shop", Kind::Shop},
                               {u"warp", Kind::Warp},
                               {u"monster", Kind::Monster},
                               {u"mapflag", Kind::Mapflag}};

// The kind a second field names exactly (without regard to case), or None. Every
// line of a script is asked this, so the words are compared without allocating.
Kind exactKind(QStringView word)
{
    if (word.size() < 4)
        return Kind::None;
    for (const KindWord &kind : kKinds) {
        if (Language::equalsIgnoringCase(word, kind.word))
            return kind.kind;
    }
    if (word.size() > 10 && Language::equalsIgnoringCase(word.first(10), u"duplicate(") && word.endsWith(u')'))
        return Kind::Duplicate;
    return Kind::None;
}

// The kind word a misspelt second field most likely means, or empty.
QString meantKind(QStringView word)
{
    const QString lower = word.toString().toLower();
    for (const KindWord &kind : kKinds) {
        if (Spelling::distance(lower, kind.word, 1) == 1)
            return kind.word.toString();
    }
    if (lower.endsWith(u')') && lower.contains(u'(') &&
        Spelling::distance(lower.left(lower.indexOf(u'(')), u"duplicate", 1) == 1)
        return QStringLiteral("duplicate");
    return {};
}

// "-", "function", "map,x,y..." or, for a map flag, a bare map name.
bool plausiblePlace(QStringView place, bool mapOnly)
{
    if (place == u"-" || Language::equalsIgnoringCase(place, u"function"))
        return true;
    QVarLengthArray<QStringView, 4> parts;
    for (const QStringView part : QStringTokenizer{place, u','}) {
        parts.append(part);
        if (parts.size() == 3)
            break; // no more is looked at
    }
    if (mapOnly)
        return !place.contains(u',') && !place.contains(u'"') && !place.contains(u';');
    const QStringView map = parts.isEmpty() ? QStringView() : parts.at(0);
    const bool mapLike = !map.isEmpty() && std::none_of(map.begin(), map.end(), [](QChar c) {
        return isBlank(c) || c == u'"' || c == u';' || c == u'(';
    });
    return parts.size() >= 3 && mapLike && isInteger(parts.at(1)) && scannedInteger(parts.at(2)) > 0;
}

// Whether `line` may define something at all, and the blanks it begins with. Most
// lines are let go here, before anything is set up to read them.
bool mayDefine(QStringView line, int &indent)
{
    const qsizetype size = line.size();
    qsizetype i = indent;
    while (i < size && isBlank(line.at(i)))
        ++i;
    indent = int(i);
    if (i == size || (i + 1 < size && line.at(i) == u'/' && (line.at(i + 1) == u'/' || line.at(i + 1) == u'*')))
        return false;
    // Split by blanks, a line defines something only when its second word is a kind
    // the loader knows; split by tabs, the loader reads it as fields whatever its words.
    qsizetype start = i;
    while (start < size && !isBlank(line.at(start)))
        ++start;
    if (std::find(line.begin() + start, line.end(), QChar(u'\t')) != line.end())
        return true;
    while (start < size && isBlank(line.at(start)))
        ++start;
    // Every kind begins with one of these letters.
    const char16_t first = start < size ? char16_t(line.at(start).unicode() | 0x20) : u'\0';
    if (first != u's' && first != u'w' && first != u'm' && first != u'd')
        return false;
    // Past seven letters only "duplicate(...)" can be one, so the rest of a long word
    // (a message, often) is not read.
    const bool duplicate = size - start > 10 && Language::equalsIgnoringCase(line.sliced(start, 10), u"duplicate(");
    const qsizetype longest = duplicate ? size : std::min(size, start + 8);
    qsizetype end = start;
    while (end < longest && !isBlank(line.at(end)))
        ++end;
    if (!duplicate && end - start > 7)
        return false;
    return exactKind(line.sliced(start, end - start)) != Kind::None;
}

class Reader
{
public:
    // `indent`: the blanks the line begins with.
    Reader(QStringView line, int indent, bool colours) : line_(line), indent_(indent), colours_(colours) {}

    Definition read();

private:
    void report(Rule rule, int column, int length, const QStringList &arguments = {})
    {
        result_.diagnostics.append(Rules::make(rule, 0, column, length, arguments));
    }
    void colour(Colour::Kind kind, int column, int length)
    {
        if (colours_ && length > 0)
            result_.colours.append(Colour{column, length, kind});
    }
    bool recognise();
    void readPlaceAndFourth(Kind kind, bool readable);
    int fieldsEnd();
    bool split(int size);
    bool mendBlankForTab();
    Kind meantKindOf(const Field &place, const Field &kindField);
    void checkPlace(const Field &place, int minParts, int maxParts, bool facing, const char16_t *form);
    int readIntegers(const Fields &all, int from, int count);
    void cutFourthAtTab();
    void ignored(int from, int to);
    void readScript(const Field &field);
    void readShop(const Field &field);
    void readWarp(const Field &field);
    void readMonster(const Field &field);
    void readSprite(const Field &field);
    Fields parts(const Field &field, QChar separator) const;
    int kindEnd() const { return fields_.at(1).end(); }

    QStringView line_;
    int indent_ = 0; // blanks before the first field
    bool colours_ = true;
    bool kindMissing_ = false;
    bool blanksForTabs_ = false;
    Fields fields_;
    Definition result_;
};

// The loader reads a fourth field up to its tab; what follows is passed over.
void Reader::cutFourthAtTab()
{
    Field &fourth = fields_[3];
    const qsizetype tab = fourth.text.indexOf(u'\t');
    if (tab < 0)
        return;
    const int end = fourth.end();
    fourth.text = fourth.text.first(tab);
    ignored(fourth.column + int(tab), end);
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

// Where the fields end: a "//" comment may follow a definition without a body;
// after a "{" it is the body's.
int Reader::fieldsEnd()
{
    // Found a character at a time: Qt's search for a string sets up more than the
    // short line it searches.
    qsizetype comment = -1;
    for (qsizetype i = 0; comment < 0 && i + 1 < line_.size(); ++i) {
        if (line_.at(i) == u'/' && line_.at(i + 1) == u'/')
            comment = i;
    }
    const qsizetype brace = line_.indexOf(u'{');
    if (comment < 0 || (brace >= 0 && brace < comment))
        return int(line_.size());
    colour(Colour::Kind::Comment, int(comment), int(line_.size() - comment));
    return int(comment);
}

// The fields as the loader splits them: by tabs, or by blanks when tabs give fewer
// than three. False when the line defines nothing.
bool Reader::split(int size)
{
    fields_ = splitFields(line_, size, isTab, indent_);
    if (fields_.size() >= 3) {
        if (exactKind(fields_.at(1).text) == Kind::None)
            blanksForTabs_ = mendBlankForTab();
        return true;
    }
    Fields byBlanks = splitFields(line_, size, isBlank, indent_);
    if (byBlanks.size() < 3 || exactKind(byBlanks.at(1).text) == Kind::None ||
        !plausiblePlace(byBlanks.at(0).text, exactKind(byBlanks.at(1).text) == Kind::Mapflag))
        return false;
    // The loader reads it all the same: names without blanks survive the split.
    fields_ = byBlanks;
    blanksForTabs_ = true;
    const int gap = fields_.at(0).end();
    int after = gap;
    while (after < size && isBlank(line_.at(after)))
        ++after;
    report(Rule::SpaceForTab, gap, after - gap);
    return true;
}

// Blanks where the tab between place and kind, or kind and name, belongs: the
// loader then sees no kind it knows and drops the line without a word. The fields
// are mended so that the rest of the line is read as meant.
bool Reader::mendBlankForTab()
{
    for (int f = 0; f < 2; ++f) {
        const Field &field = fields_.at(f);
        const Fields words = splitFields(line_.sliced(0, field.end()), field.end(), isBlank, indent_);
        Fields inField;
        for (const Field &word : words) {
            if (word.column >= field.column)
                inField.append(word);
        }
        if (inField.size() != 2)
            continue;
        const Field kindWord = f == 0 ? inField.at(1) : inField.at(0);
        const Field place = f == 0 ? inField.at(0) : fields_.at(0);
        if (exactKind(kindWord.text) == Kind::None ||
            !plausiblePlace(place.text, exactKind(kindWord.text) == Kind::Mapflag))
            continue;
        const int gap = inField.at(0).end();
        report(Rule::SpaceForTabUnreadable, gap, inField.at(1).column - gap);
        Fields mended = fields_;
        mended.remove(f);
        mended.insert(f, inField.at(1));
        mended.insert(f, inField.at(0));
        mended.resize(std::min<qsizetype>(mended.size(), 4));
        fields_ = mended;
        return true;
    }
    return false;
}

// The kind a second field the loader does not know was meant to be, or None when
// the line is no definition after all.
Kind Reader::meantKindOf(const Field &place, const Field &kindField)
{
    const QString meant = meantKind(kindField.text);
    const bool body = fields_.size() >= 4 && fields_.at(3).text.contains(u'{');
    if (!meant.isEmpty() && plausiblePlace(place.text, meant == u"mapflag")) {
        report(Rule::KindMisspelt, kindField.column, int(kindField.text.size()), {kindField.text.toString(), meant});
        const Kind kind = exactKind(meant);
        return kind == Kind::None ? Kind::Duplicate : kind;
    }
    if (body && !blanksForTabs_ && plausiblePlace(place.text, false))
        return Kind::Other;
    if (fields_.size() == 3 && fields_.at(2).text.contains(u'{') && !blanksForTabs_ &&
        plausiblePlace(place.text, false)) {
        // "map,5,5,4<TAB>Guard<TAB>56,{": the kind is missing, and with it the NPC.
        report(Rule::MissingKind, kindField.column, int(kindField.text.size()));
        fields_.insert(1, Field{kindField.column, QStringView(u"script")});
        kindMissing_ = true;
        return Kind::Script;
    }
    return Kind::None;
}

bool Reader::recognise()
{
    if (!split(fieldsEnd()))
        return false;
    const Field place = fields_.at(0);
    const Field kindField = fields_.at(1);
    Kind kind = exactKind(kindField.text);
    if (kind == Kind::None) {
        kind = meantKindOf(place, kindField);
        if (kind == Kind::None) {
            result_.diagnostics.clear();
            return false;
        }
    } else if (!plausiblePlace(place.text, kind == Kind::Mapflag) && place.text.contains(u'"')) {
        return false; // a statement such as `mes "a	script	b";` split by its tabs
    }
    if (kind == Kind::Script && Language::equalsIgnoringCase(place.text, u"function"))
        kind = Kind::Function;
    result_.kind = kind;
    if (!kindMissing_)
        colour(Colour::Kind::Command, kindField.column, int(kindField.text.size()));
    if (indent_ > 0) {
        result_.indented = true;
        report(Rule::LeadingBlank, 0, indent_);
    }
    return true;
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

void Reader::checkPlace(const Field &place, int minParts, int maxParts, bool facing, const char16_t *form)
{
    if (place.text == u"-")
        return;
    const Fields all = parts(place, u',');
    const int numbers = std::min(int(all.size()), maxParts) - 1;
    const int before = int(result_.diagnostics.size());
    const bool ok = all.size() >= minParts && !all.at(0).text.trimmed().isEmpty() &&
                    readIntegers(all, 1, maxParts - 1) >= minParts - 1;
    if (!ok) {
        result_.diagnostics.resize(before);
        report(Rule::PlaceFormat, place.column, int(place.text.size()), {QString::fromUtf16(form)});
        return;
    }
    if (facing && numbers >= 3) {
        const QStringView written = all.at(3).text;
        const int value = written.first(scannedInteger(written)).trimmed().toInt();
        if (value < 0 || value > 7)
            report(Rule::FacingRange, all.at(3).column, int(written.size()));
    }
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
            return; // a floating NPC shows nothing, so it needs no sprite
        report(Rule::SpriteFormat, field.column, 1, {QStringLiteral("見た目,{")});
        return;
    }
    readSprite(before);
}

void Reader::readShop(const Field &field)
{
    const Fields all = parts(field, u',');
    readSprite(all.at(0));
    if (all.size() < 2)
        report(Rule::ShopItem, field.column, int(field.text.size()));
    for (int i = 1; i < all.size(); ++i) {
        const Field &item = all.at(i);
        if (i == all.size() - 1 && i > 1 && item.text.trimmed().isEmpty())
            break; // a "," after the last item ends the list as well
        const QList<QStringView> pair = item.text.split(u':');
        if (pair.size() != 2 || !(isInteger(pair.at(0)) || isNameLike(pair.at(0).trimmed())) || !isInteger(pair.at(1)))
            report(Rule::ShopItem, item.column, std::max(1, int(item.text.size())));
        else
            colour(Colour::Kind::Number, item.column, int(item.text.size()));
    }
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

void Reader::readMonster(const Field &field)
{
    const Fields all = parts(field, u',');
    bool ok = all.size() >= 2 && all.size() <= 5 &&
              (isInteger(all.at(0).text) || isNameLike(all.at(0).text.trimmed())) && isInteger(all.at(1).text);
    for (int i = 2; ok && i < std::min(4, int(all.size())); ++i)
        ok = isInteger(all.at(i).text);
    if (!ok)
        report(Rule::MonsterFormat, field.column, std::max(1, int(field.text.size())));
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
        checkPlace(place, 4, 4, true, u"マップ.tsg,x,y,向き");
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
        checkPlace(place, 3, 5, false, u"マップ.tsg,x,y[,xs,ys]");
        if (readable)
            readMonster(fields_.at(3));
        break;
    case Kind::Mapflag:
    case Kind::None:
        break;
    }
}

Definition Reader::read()
{
    if (!recognise())
        return Definition{};
    const Kind kind = result_.kind;
    const Field name = fields_.at(2);
    result_.name = name.text.toString();
    result_.nameColumn = name.column;
    result_.nameLength = std::max(1, int(name.text.size()));
    // A function's "{" may stand on the next line, leaving it three fields.
    const int needed = kind == Kind::Mapflag || kind == Kind::Function ? 3 : 4;
    const bool readable = fields_.size() >= needed;
    if (!readable) {
        const Field &last = fields_.back();
        const QString what = kind == Kind::Function ? QStringLiteral("function") : fields_.at(1).text.toString();
        report(Rule::DefinitionFields, last.end() - 1, 1,
               {QStringLiteral("「%1」").arg(what), QString::number(needed), QString::number(fields_.size())});
    }
    if (!readable && result_.hasBody()) {
        // The body still begins at its brace, wherever the missing tab went.
        const qsizetype brace = line_.indexOf(u'{', kindEnd());
        if (brace >= 0) {
            result_.braceColumn = int(brace);
            colour(Colour::Kind::Brace, result_.braceColumn, 1);
        }
    }
    if (name.text.trimmed().isEmpty())
        report(Rule::EmptyName, name.column, 1);
    if (!result_.hasBody() && fields_.size() >= 4)
        cutFourthAtTab();
    readPlaceAndFourth(kind, readable);
    return std::move(result_);
}

} // namespace

Definition read(QStringView line, bool colours)
{
    int indent = 0;
    if (!mayDefine(line, indent))
        return Definition{};
    return Reader(line, indent, colours).read();
}

} // namespace DefinitionLine
