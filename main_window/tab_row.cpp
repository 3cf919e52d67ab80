#include "main_window/tab_row.h"

#include <QApplication>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QTabBar>
#include <QTabWidget>

namespace {

// Space beside a tab's caption, both sides together: about what the desktop's own
// tab control leaves; the toolkit's 24 pixels would push the fourth tab out of a
// 177-pixel control.
constexpr int kCaptionPadding = 8;

class CompactTabStyle : public QProxyStyle
{
public:
    explicit CompactTabStyle(QStyle *base) : QProxyStyle(base) {}

    int pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const override
    {
        if (metric == PM_TabBarTabHSpace)
            return kCaptionPadding;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

} // namespace

void fitTabsInOneRow(QTabWidget *tabs)
{
    QTabBar *bar = tabs->tabBar();
    auto *style = new CompactTabStyle(QStyleFactory::create(QApplication::style()->name()));
    style->setParent(bar); // a widget does not own the style it is given
    bar->setStyle(style);

    const auto rowWidth = [bar] {
        int width = 0;
        for (int i = 0; i < bar->count(); ++i)
            width += bar->tabRect(i).width();
        return width;
    };
    // Only a face wider than the desktop's needs this; one step at a time keeps
    // the captions as wide as the row allows.
    constexpr int kNarrowest = 50;
    QFont font = bar->font();
    for (int stretch = 99; rowWidth() > tabs->width() && stretch >= kNarrowest; --stretch) {
        font.setStretch(stretch);
        bar->setFont(font);
    }
}
