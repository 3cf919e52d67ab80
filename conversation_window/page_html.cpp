#include "conversation_window/page_html.h"

#include <QStringList>

namespace PageHtml {

QString of(const Conversation::Page &page)
{
    QStringList lines;
    for (const Conversation::MessageLine &line : page.lines) {
        QString html;
        for (const Conversation::ColouredText &piece : line.pieces) {
            html += QStringLiteral("<span style=\"color:#%1\">%2</span>")
                        .arg(piece.colour & 0xFFFFFF, 6, 16, QLatin1Char('0'))
                        .arg(piece.text.toHtmlEscaped());
        }
        lines.append(html);
    }
    // Blanks stay as the script wrote them, and the text still wraps at them.
    return QStringLiteral("<div style=\"white-space:pre-wrap\">%1</div>").arg(lines.join(QStringLiteral("<br>")));
}

} // namespace PageHtml
