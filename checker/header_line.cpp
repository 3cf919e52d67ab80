#include "checker/line_reader.h"

using namespace LineText;

namespace {

// True when one letter changed, added, dropped or swapped with its neighbour
// turns `a` into `b`.
bool oneEditApart(QStringView a, QStringView b)
{
    if (a.size() < b.size())
        std::swap(a, b);
    if (a.size() - b.size() > 1 || a == b)
        return false;
    qsizetype i = 0;
    while (i < b.size() && a.at(i) == b.at(i))
        ++i;
    if (a.size() > b.size())
        return a.sliced(i + 1) == b.sliced(i);
    if (a.sliced(i + 1) == b.sliced(i + 1))
        return true;
    return i + 1 < a.size() && a.at(i) == b.at(i + 1) && a.at(i + 1) == b.at(i) && a.sliced(i + 2) == b.sliced(i + 2);
}

// The type a header's second field stands for: "script" or "shop", also when
// miswritten in case or by one letter; empty for a kind the buttons do not write.
QStringView meantHeaderType(QStringView written)
{
    for (const QStringView type : {QStringView(u"script"), QStringView(u"shop")}) {
        if (written.compare(type, Qt::CaseInsensitive) == 0 || oneEditApart(written, type))
            return type;
    }
    return {};
}

} // namespace

// map.tsg,x,y,facing<TAB>script<TAB>name<TAB>picture,{
// map.tsg,x,y,facing<TAB>shop<TAB>name<TAB>picture,item:price[,item:price...]
// With no tab before the type, the place field and the type are split at the
// blanks after them instead: those stand where a tab belongs (the place field never
// holds a blank, the type is one word; the name may hold blanks). Returns the blanks.
QVector<Span> LineReader::splitAtMisplacedBlanks(QVector<Span> &fields) const
{
    QVector<Span> split;
    QVector<Span> blanks;
    for (const Span &raw : std::as_const(fields)) {
        int start = raw.column;
        const int end = raw.column + raw.length;
        while (split.size() < 2) {
            int blank = start;
            while (blank < end && !isBlankChar(line_.at(blank)))
                ++blank;
            int after = blank;
            while (after < end && isBlankChar(line_.at(after)))
                ++after;
            if (blank == end || after == end)
                break;
            split.append(Span{start, blank - start, line_.sliced(start, blank - start)});
            blanks.append(Span{blank, after - blank, {}});
            start = after;
        }
        split.append(Span{start, end - start, line_.sliced(start, end - start)});
    }
    fields = split;
    return blanks;
}

bool LineReader::readHeader()
{
    // A comment such as "// shop by the gate" is not a header.
    if (line_.isEmpty() || isBlankChar(line_.front()) || line_.startsWith(u"//"))
        return false;
    // A header may end in a comment; nothing else in it holds "//".
    const qsizetype comment = line_.indexOf(u"//");
    const int end = comment < 0 ? int(line_.size()) : int(comment);
    QVector<Span> fields = split(line_, 0, end, u'\t');
    // A tab or blanks after the last field make no field of their own.
    while (fields.size() > 1 && within(fields.back()).length == 0)
        fields.removeLast();
    QVector<Span> misplacedBlanks;
    if (fields.size() < 2 || meantHeaderType(within(fields.at(1)).text).isEmpty())
        misplacedBlanks = splitAtMisplacedBlanks(fields);
    const bool placeLike = fields.front().text.contains(u".tsg,");
    const QStringView written = fields.size() >= 2 ? within(fields.at(1)).text : QStringView();
    const QStringView type = meantHeaderType(written);
    const bool shop = type == u"shop";
    if (!placeLike && written != u"script" && written != u"shop")
        return false;

    LineFacts &facts = result_.facts;
    const Span whole = trimmed(line_, 0, end);
    facts.opensBlock = whole.text.endsWith(u'{');
    facts.anchorColumn = facts.opensBlock ? whole.column + whole.length - 1 : 0;
    facts.anchorLength = facts.opensBlock ? 1 : int(fields.front().length);
    facts.endColumn = whole.column + whole.length - 1;
    braceTokens(0, end);
    token(Token::Kind::Comment, end, int(line_.size()) - end);
    if (fields.size() >= 2 && type.isEmpty()) {
        facts.kind = LineKind::OtherHeader;
        return true;
    }
    facts.kind = LineKind::Header;
    if (fields.size() >= 2)
        token(Token::Kind::Command, fields.at(1).column, fields.at(1).length);
    if (fields.size() >= 2 && written != type)
        report(Rule::HeaderType, fields.at(1).column, fields.at(1).length, {written.toString(), type.toString()});
    numberTokens(0, end);
    for (const Span &blank : misplacedBlanks)
        report(Rule::SpaceForTab, blank.column, blank.length);
    if (fields.size() != 4) {
        report(Rule::HeaderFieldCount, 0, whole.length, {QString::number(fields.size())});
        return true;
    }
    checkPlace(fields.at(0));
    if (trimmed(line_, fields.at(2).column, fields.at(2).column + fields.at(2).length).length == 0)
        report(Rule::EmptyName, fields.at(2).column, 1);
    checkPicture(fields.at(3), shop);
    return true;
}

void LineReader::checkPlace(const Span &place)
{
    const QVector<Span> parts = split(line_, place.column, place.column + place.length, u',');
    if (parts.size() != 4 || !parts.at(0).text.endsWith(u".tsg")) {
        report(Rule::HeaderPlace, place.column, place.length);
        return;
    }
    if (parts.at(0).length == 4)
        report(Rule::EmptyMap, parts.at(0).column, parts.at(0).length);
    static const char16_t *const kNames[] = {u"x座標", u"y座標", u"向き"};
    for (int i = 1; i < 4; ++i) {
        const Span &part = parts.at(i);
        if (!isDigits(part.text))
            report(Rule::NotANumber, part.column, part.length, {QString::fromUtf16(kNames[i - 1])});
        else if (i == 3 && part.text.toInt() > 7)
            report(Rule::FacingRange, part.column, part.length);
    }
}

void LineReader::checkPicture(const Span &field, bool shop)
{
    const Span value = trimmed(line_, field.column, field.column + field.length);
    int end = value.column + value.length;
    if (!shop) {
        if (!value.text.endsWith(u",{") && !value.text.endsWith(u", {")) {
            report(Rule::ScriptWithoutBrace, value.length > 0 ? end - 1 : field.column, 1);
            return;
        }
        end = int(value.text.lastIndexOf(u',')) + value.column;
    }
    const QVector<Span> parts = split(line_, value.column, end, u',');
    const Span picture = within(parts.front());
    if (!isDigits(picture.text, true))
        report(Rule::NotANumber, picture.column, picture.length, {QStringLiteral("NPC画像")});
    if (!shop)
        return;
    if (parts.size() == 1)
        report(Rule::ShopItem, qMax(0, end - 1), 1);
    for (int i = 1; i < parts.size(); ++i) {
        const Span item = within(parts.at(i));
        const QVector<Span> pair = split(line_, item.column, item.column + item.length, u':');
        if (pair.size() != 2) {
            report(Rule::ShopItem, item.column, item.length);
            continue;
        }
        const Span id = within(pair.at(0));
        const Span price = within(pair.at(1));
        if (!isDigits(id.text))
            report(Rule::NotANumber, id.column, id.length, {QStringLiteral("アイテムID")});
        if (!isDigits(price.text, true))
            report(Rule::NotANumber, price.column, price.length, {QStringLiteral("値段")});
    }
}
