#include "check_tool/report_place.h"

#include "common/text_position.h"

#include <algorithm>

namespace ReportPlace {

namespace {

int characterColumn(QStringView text, int index)
{
    if (std::none_of(text.begin(), text.end(), [](QChar c) { return c.isSurrogate(); }))
        return index;
    return TextPosition::characterColumn(text, index);
}

} // namespace

Span of(int line, int column, int length, QStringView lineText)
{
    Span span;
    span.line = line + 1;
    span.column = characterColumn(lineText, column) + 1;
    // A place past the line's end (an end of file after the last line) counts on
    // as if the line went on.
    const int end = column + qMax(0, length);
    span.endColumn = end <= lineText.size() ? characterColumn(lineText, end) + 1 : span.column + (end - column);
    return span;
}

} // namespace ReportPlace
