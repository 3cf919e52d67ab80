#include "support/dialog_watcher.h"

#include <QAbstractButton>
#include <QApplication>

DialogWatcher::DialogWatcher(QMessageBox::StandardButton answer) : answer_(answer)
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
    QStringList texts;
    for (QAbstractButton *button : box->buttons())
        texts.append(button->text());
    seen_.append({box->windowTitle(), box->text(), box->icon(), int(box->buttons().size()),
                  box->button(QMessageBox::Ok) != nullptr, texts});
    QAbstractButton *chosen = box->button(answer_) ? box->button(answer_) : box->button(QMessageBox::Ok);
    chosen ? chosen->click() : box->reject();
}
