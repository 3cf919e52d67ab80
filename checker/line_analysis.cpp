#include "checker/line_analysis.h"

#include "checker/commands.h"
#include "checker/rules.h"
#include "common/code_page.h"

#include <algorithm>

namespace {

struct Span
{
    int column = 0;
    int length = 0;
    QStringView text;
};

bool isBlankChar(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\u3000';
}

bool isWordStart(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_';
}

bool isWordChar(QChar c)
{
    return isWordStart(c) || (c >= u'0' && c <= u'9');
}

bool isDigits(QStringView text, bool signAllowed = false)
{
    if (signAllowed && text.startsWith(u'-'))
        text = text.sliced(1);
    if (text.isEmpty())
        return false;
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

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

// The span with the blanks at both ends left out; an all-blank span keeps its start.
Span trimmed(QStringView line, int from, int to)
{
    while (from < to && isBlankChar(line.at(from)))
        ++from;
    while (to > from && isBlankChar(line.at(to - 1)))
        --to;
    return Span{from, to - from, line.sliced(from, to - from)};
}

// Splits [from, to) at `separator`, outside double quotes when `quoted`.
QVector<Span> split(QStringView line, int from, int to, QChar separator, bool quoted = false)
{
    QVector<Span> parts;
    bool inString = false;
    int start = from;
    for (int i = from; i < to; ++i) {
        const QChar c = line.at(i);
        if (quoted && c == u'"')
            inString = !inString;
        else if (c == separator && !inString) {
            parts.append(Span{start, i - start, line.sliced(start, i - start)});
            start = i + 1;
        }
    }
    parts.append(Span{start, to - start, line.sliced(start, to - start)});
    return parts;
}

class LineReader
{
public:
    explicit LineReader(QStringView text) : line_(text) {}

    LineAnalysis read()
    {
        checkCodePage();
        if (!readHeader()) {
            scanCode();
            if (openQuote_ >= 0 || !readStatement())
                readOther();
        }
        // Only the end of a menu or choice line matters to other lines (a menu
        // left open is marked there); elsewhere typing must leave the facts as they were.
        if (!result_.facts.menu && result_.facts.kind != LineKind::Continuation)
            result_.facts.endColumn = 0;
        std::sort(result_.tokens.begin(), result_.tokens.end(),
                  [](const Token &a, const Token &b) { return a.column < b.column; });
        return std::move(result_);
    }

private:
    void report(Rule rule, int column, int length, const QStringList &arguments = {})
    {
        result_.diagnostics.append(Rules::make(rule, 0, column, length, arguments));
    }
    void token(Token::Kind kind, int column, int length)
    {
        if (length > 0)
            result_.tokens.append(Token{column, length, kind});
    }

    void checkCodePage()
    {
        if (std::all_of(line_.begin(), line_.end(), [](QChar c) { return c.unicode() < 0x80; }))
            return;
        for (const qsizetype column : CodePage932::allUnencodable(line_)) {
            const bool pair = line_.at(column).isHighSurrogate() && column + 1 < line_.size() &&
                              line_.at(column + 1).isLowSurrogate();
            const int length = pair ? 2 : 1;
            const char32_t code =
                pair ? QChar::surrogateToUcs4(line_.at(column), line_.at(column + 1)) : line_.at(column).unicode();
            report(Rule::Unencodable, int(column), length,
                   {line_.sliced(column, length).toString(),
                    QStringLiteral("U+%1").arg(uint(code), 4, 16, QLatin1Char('0')).toUpper()});
        }
    }

    // Finds strings and where a // comment begins, outside strings.
    void scanCode()
    {
        codeEnd_ = int(line_.size());
        for (int i = 0; i < line_.size(); ++i) {
            const QChar c = line_.at(i);
            if (openQuote_ >= 0) {
                if (c == u'"') {
                    token(Token::Kind::String, openQuote_, i + 1 - openQuote_);
                    openQuote_ = -1;
                }
            } else if (c == u'"') {
                openQuote_ = i;
            } else if (c == u'/' && i + 1 < line_.size() && line_.at(i + 1) == u'/') {
                codeEnd_ = i;
                token(Token::Kind::Comment, i, int(line_.size()) - i);
                break;
            }
        }
        code_ = trimmed(line_, 0, codeEnd_);
        if (openQuote_ >= 0) {
            token(Token::Kind::String, openQuote_, codeEnd_ - openQuote_);
            report(Rule::OpenString, openQuote_, codeEnd_ - openQuote_);
        }
        LineFacts &facts = result_.facts;
        facts.endColumn = code_.length > 0 ? code_.column + code_.length - 1 : 0;
        facts.endsStatement = code_.text.endsWith(u';');
    }

    // Numbers standing on their own, outside strings, in [from, to).
    void numberTokens(int from, int to)
    {
        bool inString = false;
        for (int i = from; i < to; ++i) {
            const QChar c = line_.at(i);
            if (c == u'"') {
                inString = !inString;
            } else if (!inString && c.isDigit() && c.unicode() < 0x80 && (i == from || !isWordChar(line_.at(i - 1)))) {
                int end = i;
                while (end < to && line_.at(end) >= u'0' && line_.at(end) <= u'9')
                    ++end;
                if (end == to || !isWordChar(line_.at(end)))
                    token(Token::Kind::Number, i, end - i);
                i = end;
            }
        }
    }

    void braceTokens(int from, int to)
    {
        bool inString = false;
        for (int i = from; i < to; ++i) {
            if (line_.at(i) == u'"')
                inString = !inString;
            else if (!inString && (line_.at(i) == u'{' || line_.at(i) == u'}'))
                token(Token::Kind::Brace, i, 1);
        }
    }

    Span within(const Span &span) const { return trimmed(line_, span.column, span.column + span.length); }
    QVector<Span> splitAtMisplacedBlanks(QVector<Span> &fields) const;
    bool readHeader();
    void checkPlace(const Span &place);
    void checkPicture(const Span &field, bool shop);
    bool readStatement();
    void readArguments(const Span &word, const Commands::Command *command, int from, int to);
    void readMenuChoices(QVector<Span> arguments, bool continues);
    void readGotos(int from, int to);
    void readOther();

    QStringView line_;
    LineAnalysis result_;
    int codeEnd_ = 0;
    int openQuote_ = -1;
    Span code_;
};

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

// [blanks] word arguments ;
bool LineReader::readStatement()
{
    const int start = code_.column;
    if (code_.length == 0 || !isWordStart(line_.at(start)))
        return false;
    int wordEnd = start;
    while (wordEnd < codeEnd_ && isWordChar(line_.at(wordEnd)))
        ++wordEnd;
    if (code_.text.endsWith(u':') && !code_.text.contains(u'"') &&
        std::none_of(code_.text.begin(), code_.text.end(), isBlankChar))
        return false; // a label line
    const Span word{start, wordEnd - start, line_.sliced(start, wordEnd - start)};
    LineFacts &facts = result_.facts;
    facts.kind = LineKind::Statement;
    facts.anchorColumn = word.column;
    facts.anchorLength = word.length;
    const Commands::Command *command = Commands::find(word.text);
    facts.menu = command && command->arguments == u"M";
    if (command)
        token(Token::Kind::Command, word.column, word.length);
    else if (const Commands::Command *lowerCase = Commands::findIgnoringCase(word.text))
        report(Rule::CommandCase, word.column, word.length, {word.text.toString(), lowerCase->word.toString()});
    int argumentsEnd = code_.column + code_.length;
    if (facts.endsStatement)
        --argumentsEnd;
    else if (!facts.menu)
        report(Rule::MissingSemicolon, facts.endColumn, 1);
    numberTokens(wordEnd, argumentsEnd);
    braceTokens(wordEnd, argumentsEnd);
    readArguments(word, command, wordEnd, argumentsEnd);
    return true;
}

void LineReader::readArguments(const Span &word, const Commands::Command *command, int from, int to)
{
    const Span all = trimmed(line_, from, to);
    QVector<Span> arguments;
    if (all.length > 0)
        arguments = split(line_, all.column, all.column + all.length, u',', true);
    for (Span &argument : arguments)
        argument = trimmed(line_, argument.column, argument.column + argument.length);
    // Commands the table does not know, and several statements on one line, are
    // the writer's own business; only the labels they jump to count.
    if (!command || split(line_, from, to, u';', true).size() > 1) {
        readGotos(from, to);
        return;
    }
    const QStringView shape = command->arguments;
    if (shape == u"M") {
        readMenuChoices(arguments, !result_.facts.endsStatement);
        return;
    }
    if (arguments.size() != shape.size()) {
        report(Rule::ArgumentCount, word.column, word.length,
               {word.text.toString(), QString::number(shape.size()), QString::number(arguments.size())});
        return;
    }
    for (int i = 0; i < arguments.size(); ++i) {
        const Span &argument = arguments.at(i);
        const QStringList which{word.text.toString(), QString::number(i + 1)};
        if (argument.length == 0) {
            report(Rule::EmptyArgument, qMin(argument.column, int(line_.size()) - 1), 1, which);
        } else if (shape.at(i) == u'S' &&
                   (argument.length < 2 || !argument.text.startsWith(u'"') || !argument.text.endsWith(u'"'))) {
            report(Rule::NotAString, argument.column, argument.length, which);
        } else if (shape.at(i) == u'L') {
            token(Token::Kind::Label, argument.column, argument.length);
            result_.facts.jumps.append(LabelUse{argument.text.toString(), argument.column, argument.length});
        }
    }
}

// "goto label" anywhere in [from, to) outside strings, as in "if (...) goto L_Poor".
void LineReader::readGotos(int from, int to)
{
    bool inString = false;
    for (int i = from; i < to; ++i) {
        const QChar c = line_.at(i);
        if (c == u'"')
            inString = !inString;
        if (inString || !line_.sliced(i, to - i).startsWith(u"goto") || (i > from && isWordChar(line_.at(i - 1))))
            continue;
        int label = i + 4;
        if (label >= to || !isBlankChar(line_.at(label)))
            continue;
        while (label < to && isBlankChar(line_.at(label)))
            ++label;
        int labelEnd = label;
        while (labelEnd < to && !isBlankChar(line_.at(labelEnd)) && line_.at(labelEnd) != u';' &&
               line_.at(labelEnd) != u',' && line_.at(labelEnd) != u')' && line_.at(labelEnd) != u'"')
            ++labelEnd;
        if (labelEnd == label)
            continue;
        token(Token::Kind::Command, i, 4);
        token(Token::Kind::Label, label, labelEnd - label);
        result_.facts.jumps.append(LabelUse{line_.sliced(label, labelEnd - label).toString(), label, labelEnd - label});
        i = labelEnd - 1;
    }
}

// "text",label,"text",label ... A label "-" jumps nowhere (the choice ends the talk).
void LineReader::readMenuChoices(QVector<Span> arguments, bool continues)
{
    if (!arguments.isEmpty() && arguments.front().length == 0 && result_.facts.kind == LineKind::Continuation)
        arguments.removeFirst(); // the line goes on from a "," at the end of the one before
    if (continues && !arguments.isEmpty() && arguments.back().length == 0)
        arguments.removeLast(); // ends in "," before the next line's choices
    if (arguments.isEmpty() && result_.facts.kind == LineKind::Statement)
        report(Rule::MenuPairs, result_.facts.anchorColumn, result_.facts.anchorLength);
    for (int i = 0; i < arguments.size(); ++i) {
        const Span &argument = arguments.at(i);
        if (i % 2 == 0) {
            if (argument.length < 2 || !argument.text.startsWith(u'"') || !argument.text.endsWith(u'"'))
                report(Rule::MenuPairs, argument.column, qMax(1, argument.length));
            continue;
        }
        if (argument.length == 0) {
            report(Rule::EmptyLabel, qMin(argument.column, int(line_.size()) - 1), 1);
        } else if (argument.text != u"-") {
            token(Token::Kind::Label, argument.column, argument.length);
            result_.facts.jumps.append(LabelUse{argument.text.toString(), argument.column, argument.length});
        }
    }
    if (arguments.size() % 2 == 1 && !continues)
        report(Rule::MenuPairs, arguments.back().column, qMax(1, arguments.back().length));
}

// Blank lines, comments, braces, labels, menu continuations and the rest.
void LineReader::readOther()
{
    LineFacts &facts = result_.facts;
    if (code_.length == 0) {
        facts.kind = LineKind::Blank;
        return;
    }
    facts.anchorColumn = code_.column;
    facts.anchorLength = code_.length;
    if (openQuote_ >= 0) {
        // The open string is reported already; a half-read line must not cascade.
        facts.kind = LineKind::Unreadable;
        return;
    }
    braceTokens(code_.column, code_.column + code_.length);
    if (code_.text == u"}") {
        facts.kind = LineKind::CloseBrace;
        return;
    }
    const QChar first = code_.text.front();
    // A menu's further choices, or the ";" that ends it on a line of its own.
    if (first == u'"' || first == u',' || code_.text == u";") {
        facts.kind = LineKind::Continuation;
        numberTokens(code_.column, code_.column + code_.length);
        const int end = code_.column + code_.length - (facts.endsStatement ? 1 : 0);
        QVector<Span> arguments = split(line_, code_.column, end, u',', true);
        for (Span &argument : arguments)
            argument = trimmed(line_, argument.column, argument.column + argument.length);
        readMenuChoices(arguments, !facts.endsStatement);
        return;
    }
    if (code_.text.endsWith(u':')) {
        const Span label = trimmed(line_, code_.column, code_.column + code_.length - 1);
        const bool plain = std::none_of(label.text.begin(), label.text.end(), [](QChar c) {
            return isBlankChar(c) || c == u'"' || c == u',' || c == u';' || c == u':' || c == u'{' || c == u'}';
        });
        if (plain) {
            facts.kind = LineKind::LabelDefinition;
            facts.label = label.text.toString();
            if (label.length == 0) {
                facts.anchorColumn = code_.column;
                facts.anchorLength = 1;
                report(Rule::EmptyLabel, code_.column, 1);
                return;
            }
            facts.anchorColumn = label.column;
            facts.anchorLength = label.length;
            token(Token::Kind::Label, label.column, label.length);
            const qsizetype bytes = CodePage932::encode(label.text).size();
            if (bytes > kLongestLabelBytes)
                report(Rule::LabelTooLong, label.column, label.length,
                       {label.text.toString(), QString::number(bytes), QString::number(kLongestLabelBytes)});
            return;
        }
    }
    facts.kind = LineKind::Unreadable;
    report(Rule::UnreadableLine, code_.column, code_.length);
}

} // namespace

LineAnalysis analyseLine(QStringView text)
{
    return LineReader(text).read();
}
