#include "main_window/diagnostic_tooltip.h"

#include "main_window/script_highlighter.h"

#include <QHelpEvent>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTextBlock>
#include <QToolTip>

namespace {

class DiagnosticTooltip : public QObject
{
public:
    DiagnosticTooltip(QPlainTextEdit *editor, const ScriptHighlighter *highlighter)
        : QObject(editor), editor_(editor), highlighter_(highlighter)
    {
        editor->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::ToolTip)
            return QObject::eventFilter(watched, event);
        const auto *help = static_cast<QHelpEvent *>(event);
        const QStringList messages = messagesAt(help->pos());
        if (messages.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), messages.join(u'\n'), editor_->viewport());
        return true;
    }

private:
    // The messages of the diagnostics under the character at `point`.
    QStringList messagesAt(const QPoint &point) const
    {
        const QTextCursor cursor = editor_->cursorForPosition(point);
        const QRect caret = editor_->cursorRect(cursor);
        if (point.y() < caret.top() || point.y() > caret.bottom())
            return {};
        // The cursor lands on the nearer edge of a character: step back when the
        // mouse is left of it.
        int column = cursor.positionInBlock();
        if (point.x() < caret.x())
            --column;
        if (column < 0 || column >= cursor.block().length() - 1)
            return {};
        QStringList messages;
        for (const Diagnostic &diagnostic : highlighter_->diagnostics(cursor.blockNumber())) {
            if (column >= diagnostic.column && column < diagnostic.column + diagnostic.length)
                messages.append(QStringLiteral("%1 [%2]").arg(diagnostic.message, diagnostic.code));
        }
        return messages;
    }

    QPlainTextEdit *editor_;
    const ScriptHighlighter *highlighter_;
};

} // namespace

void showDiagnosticsOnHover(QPlainTextEdit *editor, const ScriptHighlighter *highlighter)
{
    new DiagnosticTooltip(editor, highlighter);
}
