#include "main_window/label_hint.h"

#include <QCursor>
#include <QEvent>
#include <QLabel>
#include <QTimer>
#include <QToolTip>

namespace {

constexpr int kShowAfterMs = 500;
constexpr int kHideAfterMs = 2500;

class ShortHint : public QObject
{
public:
    explicit ShortHint(QLabel *label) : QObject(label), label_(label)
    {
        wakeUp_.setSingleShot(true);
        wakeUp_.setTimerType(Qt::PreciseTimer); // a coarse timer may fire 5% early
        wakeUp_.setInterval(kShowAfterMs);
        connect(&wakeUp_, &QTimer::timeout, this, [this] {
            QToolTip::showText(QCursor::pos(), label_->toolTip(), label_, label_->rect(), kHideAfterMs);
        });
        label->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Enter:
            wakeUp_.start();
            break;
        case QEvent::Leave:
        case QEvent::Hide:
            wakeUp_.stop();
            QToolTip::hideText();
            break;
        case QEvent::ToolTip:
            return true; // the desktop's own timing is replaced by ours
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QLabel *label_;
    QTimer wakeUp_;
};

} // namespace

void useShortHint(QLabel *label)
{
    new ShortHint(label);
}
