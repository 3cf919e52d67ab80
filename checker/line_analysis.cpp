#include "checker/line_analysis.h"

#include "checker/line_reader.h"
#include "common/code_page.h"

#include <algorithm>

using namespace LineText;

LineAnalysis LineReader::read()
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

void LineReader::checkCodePage()
{
    if (std::all_of(line_.begin(), line_.end(), [](QChar c) { return c.unicode() < 0x80; }))
        return;
    for (const qsizetype column : CodePage932::allUnencodable(line_)) {
        const bool pair =
            line_.at(column).isHighSurrogate() && column + 1 < line_.size() && line_.at(column + 1).isLowSurrogate();
        const int length = pair ? 2 : 1;
        const char32_t code =
            pair ? QChar::surrogateToUcs4(line_.at(column), line_.at(column + 1)) : line_.at(column).unicode();
        report(Rule::Unencodable, int(column), length,
               {line_.sliced(column, length).toString(),
                QStringLiteral("U+%1").arg(uint(code), 4, 16, QLatin1Char('0')).toUpper()});
    }
}

// Finds strings and where a // comment begins, outside strings.
void LineReader::scanCode()
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
void LineReader::numberTokens(int from, int to)
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

void LineReader::braceTokens(int from, int to)
{
    bool inString = false;
    for (int i = from; i < to; ++i) {
        if (line_.at(i) == u'"')
            inString = !inString;
        else if (!inString && (line_.at(i) == u'{' || line_.at(i) == u'}'))
            token(Token::Kind::Brace, i, 1);
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

LineAnalysis analyseLine(QStringView text)
{
    return LineReader(text).read();
}
