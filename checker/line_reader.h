#pragma once

#include "checker/commands.h"
#include "checker/line_analysis.h"
#include "checker/line_text.h"
#include "checker/rules.h"

// Reads one line: its kind, what other lines need to know of it, its own mistakes
// and the pieces the editor colours. Header lines are read in header_line.cpp,
// everything else in line_analysis.cpp.
class LineReader
{
public:
    explicit LineReader(QStringView text) : line_(text) {}

    LineAnalysis read();

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

    void checkCodePage();

    // Finds strings and where a // comment begins, outside strings.
    void scanCode();

    // Numbers standing on their own, outside strings, in [from, to).
    void numberTokens(int from, int to);

    void braceTokens(int from, int to);

    LineText::Span within(const LineText::Span &span) const
    {
        return LineText::trimmed(line_, span.column, span.column + span.length);
    }
    QVector<LineText::Span> splitAtMisplacedBlanks(QVector<LineText::Span> &fields) const;
    bool readHeader();
    void checkPlace(const LineText::Span &place);
    void checkPicture(const LineText::Span &field, bool shop);
    bool readStatement();
    void readArguments(const LineText::Span &word, const Commands::Command *command, int from, int to);
    void readMenuChoices(QVector<LineText::Span> arguments, bool continues);
    void readGotos(int from, int to);
    void readOther();

    QStringView line_;
    LineAnalysis result_;
    int codeEnd_ = 0;
    int openQuote_ = -1;
    LineText::Span code_;
};
