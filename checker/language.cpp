#include "checker/language.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <vector>

namespace Language {

namespace {

constexpr quint8 kStatement = StartsStatement | NoLabel | Offered;

constexpr Keyword kKeywords[] = {
    {u"if", kStatement},
    {u"else", kStatement},
    {u"for", kStatement},
    {u"while", kStatement},
    {u"do", kStatement},
    {u"switch", kStatement},
    {u"case", NoLabel | Offered},
    {u"default", NoLabel | Offered},
    {u"break", kStatement},
    {u"continue", kStatement},
    {u"goto", kStatement},
    {u"return", kStatement},
    {u"function", kStatement},
    {u"end", StartsStatement},
    // Commands whose label arguments rename would have to tell apart from the label.
    {u"menu", NoLabel},
    {u"callsub", NoLabel},
    {u"callfunc", NoLabel},
};

// The first letters and the longest length of the keywords: most words a line
// holds are let go without comparing them with any keyword.
constexpr quint32 firstLetters()
{
    quint32 letters = 0;
    for (const Keyword &keyword : kKeywords)
        letters |= 1u << (keyword.word.front().unicode() - u'a');
    return letters;
}
constexpr quint32 kFirstLetters = firstLetters();

constexpr qsizetype longestKeyword()
{
    qsizetype longest = 0;
    for (const Keyword &keyword : kKeywords)
        longest = std::max(longest, keyword.word.size());
    return longest;
}
constexpr qsizetype kLongestKeyword = longestKeyword();

bool mayBeKeyword(QStringView word)
{
    if (word.isEmpty() || word.size() > kLongestKeyword)
        return false;
    const char16_t first = word.front().unicode() | 0x20; // lower case, for letters
    return first >= u'a' && first <= u'z' && (kFirstLetters & (1u << (first - u'a'))) != 0;
}

} // namespace

const Keyword *keywordsBegin()
{
    return std::begin(kKeywords);
}

const Keyword *keywordsEnd()
{
    return std::end(kKeywords);
}

bool isKeyword(QStringView word, KeywordUse use)
{
    if (!mayBeKeyword(word))
        return false;
    // Compared only with the keywords of its first letter: the parser asks of every
    // statement's first word.
    static const auto kByFirstLetter = [] {
        std::array<std::vector<const Keyword *>, 26> byLetter{};
        for (const Keyword &keyword : kKeywords)
            byLetter[size_t(keyword.word.front().unicode() - u'a')].push_back(&keyword);
        return byLetter;
    }();
    const char16_t first = word.front().unicode() | 0x20;
    for (const Keyword *keyword : kByFirstLetter[size_t(first - u'a')]) {
        if ((keyword->uses & use) != 0 && equalsIgnoringCase(word, keyword->word))
            return true;
    }
    return false;
}

QString lowered(const QString &text)
{
    qsizetype upper = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c >= 0x80)
            return text.toLower();
        if (upper < 0 && c >= u'A' && c <= u'Z')
            upper = i;
    }
    if (upper < 0)
        return text;
    QString lower = text;
    for (qsizetype i = upper; i < lower.size(); ++i) {
        const char16_t c = lower.at(i).unicode();
        if (c >= u'A' && c <= u'Z')
            lower[i] = QChar(char16_t(c + 32));
    }
    return lower;
}

FlowStep::Word flowWord(QStringView lowerCommand)
{
    // Asked of every command the parser reads: its length picks the one or two
    // words it may be.
    using Word = FlowStep::Word;
    const QStringView c = lowerCommand;
    switch (c.size()) {
    case 3:
        return is(c, u"end") ? Word::End : is(c, u"set") ? Word::Set : Word::Other;
    case 4:
        return is(c, u"goto") ? Word::Goto : is(c, u"menu") ? Word::Menu : Word::Other;
    case 5:
        return is(c, u"input") ? Word::Input : Word::Other;
    case 6:
        return is(c, u"select") ? Word::Select : is(c, u"prompt") ? Word::Prompt : Word::Other;
    case 7:
        return is(c, u"callsub") ? Word::Callsub : Word::Other;
    case 8:
        return is(c, u"callfunc") ? Word::Callfunc : is(c, u"setarray") ? Word::SetArray : Word::Other;
    default:
        return Word::Other;
    }
}

Function functionOf(QStringView lowerName)
{
    if (lowerName == u"getarg")
        return Function::GetArg;
    if (lowerName == u"getargcount")
        return Function::GetArgCount;
    if (lowerName == u"getstrlen" || lowerName == u"strlen")
        return Function::TextLength;
    return Function::Other;
}

bool givesText(QStringView name)
{
    static constexpr QStringView kTextFunctions[] = {u"strcharinfo",  u"strnpcinfo",   u"getitemname",
                                                     u"getpartyname", u"getguildname", u"getcharname"};
    return std::any_of(std::begin(kTextFunctions), std::end(kTextFunctions),
                       [&](QStringView function) { return equalsIgnoringCase(name, function); });
}

bool callsFunctionOfNpc(QStringView word)
{
    return equalsIgnoringCase(word, u"callfunctionofnpc");
}

bool marksPublic(QStringView word)
{
    return is(word, u"public");
}

bool isEventLabel(QStringView label)
{
    return label.startsWith(u"On") && label.size() > 2;
}

namespace {

// Today's servers bind as C does: "|" looser than "^" looser than "&", equality
// looser than order, shifts on a level of their own.
int inTodaysOrder(int strength, QStringView op)
{
    switch (strength) {
    case 5:
        return op.front() == u'<' || op.front() == u'>' ? 9 : 8;
    case 6:
        return 6;
    case 7:
        return 5;
    case 8:
        return op.front() == u'&' ? 7 : 10;
    case 9:
    case 10:
    case 11:
        return strength + 2;
    default:
        return strength;
    }
}

} // namespace

int binaryPrecedence(QStringView op, bool todaysOrder)
{
    const int strength = binaryPrecedence(op);
    return todaysOrder ? inTodaysOrder(strength, op) : strength;
}

int binaryPrecedence(QStringView op)
{
    if (op.isEmpty() || op.size() > 3)
        return 0;
    const char16_t first = op.front().unicode();
    const char16_t second = op.size() > 1 ? op.at(1).unicode() : 0;
    if (first == u'~')
        return second == u'=' || second == u'!' ? 5 : 0; // a text against a pattern
    if (first == u'*' && second == u'*' && op.size() == 2)
        return 11; // power, tighter than "*"
    if (op.back() == u'=' && op.size() >= 2 &&
        !(op.size() == 2 && (first == u'=' || first == u'!' || first == u'<' || first == u'>')))
        return 1; // += -= *= /= %= &= |= ^= <<= >>=
    switch (first) {
    case u'=':
        return second == u'=' ? 5 : 1;
    case u'?':
        return 2;
    case u'|':
        return second == u'|' ? 3 : 7;
    case u'&':
        return second == u'&' ? 4 : 8;
    case u'!':
        return second == u'=' ? 5 : 0;
    case u'<':
    case u'>':
        return second == first ? 8 : 5;
    case u'^':
        return 6;
    case u'+':
    case u'-':
        return second == 0 ? 9 : 0;
    case u'*':
    case u'/':
    case u'%':
        return 10;
    default:
        return 0;
    }
}

bool isTodaysOperator(QStringView op)
{
    return is(op, u"**") || is(op, u"**=") || is(op, u"~=") || is(op, u"~!");
}

QString argumentCount(const Commands::Command &command, Target::Servers servers)
{
    int min = command.min;
    int max = command.max;
    for (int bit = 0; bit < 4; ++bit) {
        if (servers & (1u << bit)) {
            min = command.counts[bit].min;
            max = command.counts[bit].max;
            break;
        }
    }
    if (max < 0)
        return QStringLiteral("%1個以上").arg(min);
    if (max == min)
        return QStringLiteral("%1個").arg(min);
    return QStringLiteral("%1〜%2個").arg(min).arg(max);
}

bool isPlayerVariable(QStringView name)
{
    return name.size() > 1 && name.front() == u'@' && (name.at(1).isLetterOrNumber() || name.at(1) == u'_');
}

const QStringList &variablesTheServerSets()
{
    // @menu after menu and select; the counts of the lists commands fill; what a
    // shop's, a trader's or a cash shop's events and the other events are given.
    static const QStringList kSet{
        QStringLiteral("@menu"),          QStringLiteral("@inventorylist_count"),
        QStringLiteral("@cartinventorylist_count"), QStringLiteral("@skilllist_count"),
        QStringLiteral("@bought_nameid"), QStringLiteral("@bought_quantity"),
        QStringLiteral("@sold_nameid"),   QStringLiteral("@sold_quantity"),
        QStringLiteral("@agit_flag"),     QStringLiteral("@price"),
        QStringLiteral("@points"),        QStringLiteral("@itemid"),
        QStringLiteral("@mapname$"),      QStringLiteral("@name$"),
        QStringLiteral("@bound_items"),   QStringLiteral("@channelmes$"),
        QStringLiteral("@queue_destination_map$"),
    };
    return kSet;
}

bool isSetByTheServer(QStringView name)
{
    // Lists whose members the command or event that fills them names by suffix.
    static constexpr QStringView kFamilies[] = {
        u"@inventorylist_", u"@cartinventorylist_", u"@skilllist_", u"@bought_",
        u"@sold_",          u"@selectpackage_",     u"@lapine_",
    };
    const QString lower = lowered(name.toString());
    if (variablesTheServerSets().contains(lower))
        return true;
    return std::any_of(std::begin(kFamilies), std::end(kFamilies),
                       [&](QStringView family) { return lower.size() > family.size() && lower.startsWith(family); });
}

QString nearestCommandHint(const QString &nearest)
{
    return nearest.isEmpty() ? QString() : QStringLiteral("（「%1」ですか）").arg(nearest);
}

NamedThing namedBy(QStringView lowerWord, int argument)
{
    using T = NamedThing;
    struct Named
    {
        QStringView word;
        int argument;
        NamedThing thing;
    };
    // The item, monster or map arguments of the commands that take one. Commands
    // with several kinds of item argument (the ...2 and ...3 forms) name it first too.
    static constexpr Named kNamed[] = {
        {u"getitem", 0, T::Item},          {u"getitem2", 0, T::Item},           {u"getitem3", 0, T::Item},
        {u"getitembound", 0, T::Item},     {u"getitembound2", 0, T::Item},      {u"getitembound3", 0, T::Item},
        {u"getnameditem", 0, T::Item},     {u"rentitem", 0, T::Item},           {u"rentitem2", 0, T::Item},
        {u"rentitem3", 0, T::Item},        {u"delitem", 0, T::Item},            {u"delitem2", 0, T::Item},
        {u"delitem3", 0, T::Item},         {u"countitem", 0, T::Item},          {u"countitem2", 0, T::Item},
        {u"countitem3", 0, T::Item},       {u"cartcountitem", 0, T::Item},      {u"cartcountitem2", 0, T::Item},
        {u"cartdelitem", 0, T::Item},      {u"storagecountitem", 0, T::Item},   {u"storagecountitem2", 0, T::Item},
        {u"storagedelitem", 0, T::Item},   {u"guildstoragecountitem", 0, T::Item},
        {u"guildstoragecountitem2", 0, T::Item}, {u"guildstoragedelitem", 0, T::Item},
        {u"rentalcountitem", 0, T::Item},  {u"rentalcountitem2", 0, T::Item},   {u"rentalcountitem3", 0, T::Item},
        {u"makeitem", 0, T::Item},         {u"makeitem2", 0, T::Item},          {u"makeitem3", 0, T::Item},
        {u"checkweight", 0, T::Item},      {u"consumeitem", 0, T::Item},        {u"getitemname", 0, T::Item},
        {u"getiteminfo", 0, T::Item},      {u"getitemslots", 0, T::Item},
        {u"monster", 4, T::Monster},       {u"areamonster", 6, T::Monster},     {u"guardian", 4, T::Monster},
        {u"summon", 1, T::Monster},        {u"getmonsterinfo", 0, T::Monster},  {u"strmobinfo", 1, T::Monster},
        {u"warp", 0, T::Map},              {u"save", 0, T::Map},                {u"savepoint", 0, T::Map},
        {u"areawarp", 0, T::Map},          {u"areawarp", 5, T::Map},            {u"mapwarp", 0, T::Map},
        {u"mapwarp", 1, T::Map},           {u"monster", 0, T::Map},             {u"areamonster", 0, T::Map},
        {u"guardian", 0, T::Map},          {u"killmonster", 0, T::Map},         {u"killmonsterall", 0, T::Map},
        {u"getmapusers", 0, T::Map},       {u"mapannounce", 0, T::Map},         {u"getareausers", 0, T::Map},
    };
    for (const Named &named : kNamed) {
        if (named.argument == argument && named.word == lowerWord)
            return named.thing;
    }
    return T::None;
}

} // namespace Language
