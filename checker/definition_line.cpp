#include "checker/definition_line.h"

#include "checker/definition_reader.h"
#include "checker/language.h"
#include "checker/spelling.h"
#include "common/code_page.h"

#include <QStringList>
#include <QStringTokenizer>

namespace DefinitionLine {

namespace {

constexpr Target::Servers kEvery = Target::kEveryServer;

constexpr KindWord kKinds[] = {
    {u"script", Kind::Script, kEvery},
    {u"shop", Kind::Shop, kEvery},
    {u"warp", Kind::Warp, kEvery},
    {u"monster", Kind::Monster, kEvery},
    {u"mapflag", Kind::Mapflag, kEvery},
    // Today's servers: a shop whose goods the script sets, one paid in cash points,
    // and spawns marked as bosses.
    {u"trader", Kind::Script, Target::kToday},
    {u"cashshop", Kind::Shop, Target::kToday},
    {u"boss_monster", Kind::Monster, Target::kToday},
    {u"miniboss_monster", Kind::Monster, Target::kToday},
    // The family that matches words in any case has more shops, and a warp that
    // hidden players trigger as well.
    {u"marketshop", Kind::Shop, Target::TodayAnyCase},
    {u"itemshop", Kind::Shop, Target::TodayAnyCase},
    {u"pointshop", Kind::Shop, Target::TodayAnyCase},
    {u"warp2", Kind::Warp, Target::TodayAnyCase},
};
constexpr KindWord kDuplicate{u"duplicate(", Kind::Duplicate, kEvery};

// The kind a second field names exactly (without regard to case), or None.
Kind exactKind(QStringView word)
{
    const KindWord *kind = kindWordOf(word);
    return kind ? kind->kind : Kind::None;
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

// Whether `line` may define something at all, and where its first field may
// begin. Most lines are let go here, before anything is set up to read them.
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
    // Every kind the blank split reads begins with one of these letters.
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

// The byte order mark a line begins with, as a character or as the code page
// reads its three bytes; 0 without one.
int byteOrderMark(QStringView line)
{
    if (line.startsWith(u'\uFEFF'))
        return 1;
    static const QString asCodePage = CodePage932::decode(QByteArrayView("\xEF\xBB\xBF"));
    return !asCodePage.isEmpty() && line.startsWith(asCodePage) ? int(asCodePage.size()) : 0;
}

} // namespace

const KindWord *kindWordOf(QStringView word)
{
    // Every line of a script is asked this, so the words are compared without allocating.
    if (word.size() < 4)
        return nullptr;
    for (const KindWord &kind : kKinds) {
        if (Language::equalsIgnoringCase(word, kind.word))
            return &kind;
    }
    if (word.size() > 10 && Language::equalsIgnoringCase(word.first(10), kDuplicate.word) && word.endsWith(u')'))
        return &kDuplicate;
    return nullptr;
}

// Mistakes for which the servers that refuse them skip the line alone, not the
// body it opens.
void Reader::noteSkipped(Rule rule, Servers refusers)
{
    switch (rule) {
    case Rule::DefinitionFields:
    case Rule::MissingKind:
    case Rule::KindMisspelt:
    case Rule::BlankByKind:
    case Rule::EmptyField:
    case Rule::KindUnknown:
    case Rule::KindCase:
        result_.skipsLineOnly |= refusers;
        break;
    default:
        break;
    }
}

void Reader::judge(Rule rule, Servers refusers, Servers warners, int column, int length, const QStringList &arguments)
{
    noteSkipped(rule, refusers);
    Diagnostic found = Rules::judged(rule, target_, refusers, warners, 0, column, length, arguments);
    if (!found.code.isEmpty())
        result_.diagnostics.append(std::move(found));
}

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

// The fields as the older loader splits them: by tabs, or by blanks when tabs give
// fewer than three. False when the line defines nothing.
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
    // The older loader reads it all the same: names without blanks survive the
    // split. Today's servers split on tabs only, and stop reading the file here.
    fields_ = byBlanks;
    blanksForTabs_ = true;
    const int gap = fields_.at(0).end();
    int after = gap;
    while (after < size && isBlank(line_.at(after)))
        ++after;
    judge(Rule::SpaceForTab, Target::kToday, kOlderAndLater, gap, after - gap);
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

// "script " or " shop": a kind word with a blank beside it inside its tabs. The
// servers that match kind words exactly know no such kind.
Kind Reader::blankByKind(const Field &kindField)
{
    const QStringView trimmed = kindField.text.trimmed();
    const KindWord *kind = trimmed.size() < kindField.text.size() ? kindWordOf(trimmed) : nullptr;
    if (!kind)
        return Kind::None;
    const int length = int(kindField.text.size());
    if (forToday())
        judge(Rule::BlankByKind, Target::kToday, kOlderAndLater, kindField.column, length, {trimmed.toString()});
    else
        report(Rule::KindMisspelt, kindField.column, length, {kindField.text.toString(), trimmed.toString()});
    return kind->kind;
}

// The kind a second field the loader does not know was meant to be, or None when
// the line is no definition after all.
Kind Reader::meantKindOf(const Field &place, const Field &kindField)
{
    kindGuessed_ = true;
    if (const Kind blankEdged = blankByKind(kindField); blankEdged != Kind::None && plausiblePlace(place.text, false))
        return blankEdged;
    const QString meant = meantKind(kindField.text);
    const bool body = fields_.size() >= 4 && fields_.at(3).text.contains(u'{');
    if (!meant.isEmpty() && plausiblePlace(place.text, meant == u"mapflag")) {
        judge(Rule::KindMisspelt, Target::kToday, kOlderAndLater, kindField.column, int(kindField.text.size()),
              {kindField.text.toString(), meant});
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
    kindWord_ = kindWordOf(kindField.text);
    Kind kind = kindWord_ ? kindWord_->kind : Kind::None;
    if (kind == Kind::None) {
        kind = meantKindOf(place, kindField);
        if (kind == Kind::None) {
            result_.diagnostics.clear();
            return false;
        }
    } else if (!plausiblePlace(place.text, kind == Kind::Mapflag) && place.text.contains(u'"')) {
        return false; // a statement such as `mes "a	script	b";` split by its tabs
    }
    const bool functionPlace = Language::equalsIgnoringCase(place.text, u"function");
    if (kind == Kind::Script && functionPlace && (!kindWord_ || kindWord_->word == u"script"))
        kind = Kind::Function;
    // A body of a kind none of the target's servers know is skipped with its line.
    if (kind == Kind::Script && kindWord_ && !target_.includes(kindWord_->servers))
        kind = Kind::Other;
    result_.kind = kind;
    result_.readsAsStatement = kindGuessed_ && functionPlace;
    if (!kindMissing_)
        colour(Colour::Kind::Command, kindField.column, int(kindField.text.size()));
    if (indent_ > bom_) {
        // Today's servers skip the blanks; the older loader loses the first field.
        result_.indented = true;
        judge(Rule::LeadingBlank, kOlderAndLater, 0, bom_, indent_ - bom_);
    }
    return true;
}

void Reader::readName(const Field &name)
{
    result_.name = name.text.toString();
    result_.nameColumn = name.column;
    result_.nameLength = std::max(1, int(name.text.size()));
    if (name.text.trimmed().isEmpty())
        report(Rule::EmptyName, name.column, 1);
    else if (forToday())
        judgeNameLength(name);
}

Definition Reader::read()
{
    if (!recognise())
        return Definition{};
    if (bom_ > 0)
        judge(Rule::ByteOrderMark, Target::kToday, 0, 0, bom_);
    const Kind kind = result_.kind;
    readName(fields_.at(2));
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
    if (!result_.hasBody() && fields_.size() >= 4)
        cutFourthAtTab();
    readPlaceAndFourth(kind, readable);
    judgeKindWord();
    if (forToday() && !kindGuessed_ && !blanksForTabs_ && judgeTabs())
        judgeBodyBrace();
    return std::move(result_);
}

Definition read(QStringView line, const Target &target, bool colours)
{
    const int bom = byteOrderMark(line);
    int indent = bom;
    if (!mayDefine(line, indent))
        return Definition{};
    return Reader(line, indent, bom, target, colours).read();
}

QStringView uniqueName(QStringView name)
{
    const qsizetype separator = name.indexOf(u"::");
    return separator < 0 ? name : name.sliced(separator + 2);
}

std::pair<int, int> duplicateSource(QStringView line)
{
    // The kind is the second field: after the first run of tabs, up to the next tab.
    qsizetype start = line.indexOf(u'\t');
    while (start >= 0 && start < line.size() && line.at(start) == u'\t')
        ++start;
    if (start < 0 || start >= line.size())
        return {-1, 0};
    const qsizetype tab = line.indexOf(u'\t', start);
    const QStringView kind = line.sliced(start, (tab < 0 ? line.size() : tab) - start);
    const qsizetype open = kDuplicate.word.size();
    if (kind.size() <= open || !Language::equalsIgnoringCase(kind.first(open), kDuplicate.word) ||
        kind.back() != u')' || kind.size() == open + 1)
        return {-1, 0};
    return {int(start + open), int(kind.size() - open - 1)};
}

} // namespace DefinitionLine
