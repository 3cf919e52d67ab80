#include "support/dialog_watcher.h"

#include <QAbstractButton>
#include <QApplication>

DialogWatcher::DialogWatcher()
{
    poll_.setInterval(10);
    connect(&poll_, &QTimer::timeout, this, &DialogWatcher::answer);
    poll_.start();
}

void DialogWatcher::answer()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    seen_.append({box->windowTitle(), box->text(), box->icon(), int(box->buttons().size()),
                  box->button(QMessageBox::Ok) != nullptr});
    box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->click() : box->reject();
}
