#include "conversation_window/message_view.h"

#include <QAccessible>
#include <QEvent>
#include <QPainter>
#include <QTextOption>

namespace {

constexpr int kLinesShown = 4; // the client's box shows about this many before it scrolls

} // namespace

MessageView::MessageView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("message"));
    setAccessibleName(QStringLiteral("メッセージ"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void MessageView::setPage(const Conversation::Page &page)
{
    page_ = page;
    QStringList lines;
    for (const Conversation::MessageLine &line : page.lines) {
        QString text;
        for (const Conversation::ColouredText &piece : line.pieces)
            text += piece.text;
        lines.append(text);
    }
    plain_ = lines.join(u'\n');
    setAccessibleDescription(plain_);
    if (QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&event);
    }
    layOut();
    update();
}

void MessageView::layOut()
{
    const int width = std::max(1, this->width());
    laidOutWidth_ = this->width();
    layouts_.clear();
    const QFontMetrics metrics(font());
    int y = 0;
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    for (const Conversation::MessageLine &line : page_.lines) {
        QString text;
        QVector<QTextLayout::FormatRange> formats;
        for (const Conversation::ColouredText &piece : line.pieces) {
            QTextLayout::FormatRange range;
            range.start = int(text.size());
            range.length = int(piece.text.size());
            range.format.setForeground(QColor::fromRgb(piece.colour));
            formats.append(range);
            text += piece.text;
        }
        auto layout = std::make_unique<QTextLayout>(text, font());
        layout->setTextOption(option);
        layout->setFormats(formats);
        layout->beginLayout();
        for (QTextLine row = layout->createLine(); row.isValid(); row = layout->createLine()) {
            row.setLineWidth(width);
            row.setPosition(QPointF(0, y));
            y += metrics.lineSpacing();
        }
        layout->endLayout();
        if (text.isEmpty())
            y += metrics.lineSpacing();
        layouts_.push_back(std::move(layout));
    }
    if (y != height_) {
        height_ = y;
        updateGeometry();
    }
}

QSize MessageView::sizeHint() const
{
    const int shown = QFontMetrics(font()).lineSpacing() * kLinesShown;
    return {width(), std::max(height_, shown)};
}

void MessageView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(Qt::black);
    for (const auto &layout : layouts_)
        layout->draw(&painter, QPointF(0, 0));
}

void MessageView::resizeEvent(QResizeEvent *)
{
    if (width() != laidOutWidth_)
        layOut();
}

void MessageView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        layOut();
    QWidget::changeEvent(event);
}
