#include "about_box/taboutbox.h"

#include "about_box/jpeg_picture.h"
#include "common/event_guard.h"
#include "common/window_fonts.h"
#include "ui_taboutbox.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QScreen>

#include <algorithm>

TAboutBox *AboutBox = nullptr;

TAboutBox::TAboutBox(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      ui(new Ui::TAboutBox)
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("AboutBox"));
    setFont(japaneseUiFont(12));
    setFixedSize(size());
    for (QLabel *label : {ui->ProductName, ui->Version, ui->Copyright, ui->Comments})
        label->adjustSize();
    // Closing the main window ends the program even while this box is shown.
    setAttribute(Qt::WA_QuitOnClose, false);
    connect(ui->OKButton, &QPushButton::clicked, this, [this] { runGuarded([this] { OKButtonClick(); }); });
}

TAboutBox::~TAboutBox() = default;

void TAboutBox::showPicture()
{
    QFile file(QStringLiteral(":/talewick/about.jpg"));
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QImage picture = decodeJpeg(file.readAll());
    if (picture.isNull())
        return;
    // Stretched to the frame's exact size: the picture's own proportions are not kept.
    ui->ProgramIcon->setPixmap(
        QPixmap::fromImage(picture.scaled(ui->ProgramIcon->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
}

QPoint TAboutBox::centredOnScreen(QSize outer) const
{
    const QRect area = screen()->geometry();
    return {area.left() + std::max(0, (area.width() - outer.width()) / 2),
            area.top() + std::max(0, (area.height() - outer.height()) / 2)};
}

void TAboutBox::showFromMenu()
{
    if (!placed_) {
        placed_ = true;
        showPicture(); // decoded when first needed, not at start-up
        // The box's own frame is known only once it is shown: start from the frame
        // of a shown window and put it right when the real one is known.
        QSize frame(0, 0);
        for (const QWidget *window : QApplication::topLevelWidgets()) {
            // A framed window like this one: not a tooltip or a menu.
            if (window != this && window->isVisible() && window->windowType() == Qt::Window) {
                frame = window->frameGeometry().size() - window->size();
                break;
            }
        }
        requested_ = centredOnScreen(size() + frame);
        move(requested_);
        centring_ = true;
    }
    show();
    raise();
    activateWindow();
}

void TAboutBox::moveEvent(QMoveEvent *event)
{
    QDialog::moveEvent(event);
    const QSize outer = frameGeometry().size();
    if (!centring_ || !isVisible() || outer == size())
        return;
    centring_ = false;
    // Put right only where the box was placed by us, not where the user moved it.
    if (frameGeometry().topLeft() == requested_ && requested_ != centredOnScreen(outer))
        move(centredOnScreen(outer));
}

void TAboutBox::hideEvent(QHideEvent *event)
{
    centring_ = false; // only the first showing is centred
    QDialog::hideEvent(event);
}

void TAboutBox::OKButtonClick()
{
    close();
}

void TAboutBox::keyPressEvent(QKeyEvent *event)
{
    // The box has no cancel button: Escape does nothing.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
