#include "support/chooser_watcher.h"

#include <QApplication>
#include <QLineEdit>

ChooserWatcher::ChooserWatcher(QString path) : path_(std::move(path))
{
    poll_.setInterval(10);
    connect(&poll_, &QTimer::timeout, this, &ChooserWatcher::answer);
    poll_.start();
}

void ChooserWatcher::answer()
{
    auto *chooser = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
    if (!chooser || !chooser->isVisible())
        return;
    auto *nameField = chooser->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    seen_.append({chooser->windowTitle(), chooser->directory().absolutePath(),
                  nameField ? nameField->text() : QString(), chooser->nameFilters(), chooser->acceptMode()});
    if (seen_.size() > 1 || path_.isEmpty()) {
        chooser->reject();
        return;
    }
    // Typed into the name field, as a user does: selectFile() leaves a focused field alone.
    if (nameField)
        nameField->setText(path_);
    else
        chooser->selectFile(path_);
    // Stops polling while the chooser asks its own questions inside accept().
    poll_.stop();
    static_cast<QDialog *>(chooser)->accept(); // QFileDialog hides it; its own accept() still runs
    poll_.start();
}
