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
                        .arg(piece.text.toHtmlEscaped().replace(u' ', QStringLiteral("&nbsp;")));
        }
        lines.append(html);
    }
    return lines.join(QStringLiteral("<br>"));
}

} // namespace PageHtml
