#include "main_window/script_chooser.h"

#include <QFileDialog>

namespace ScriptChooser {

namespace {

QString chosen(QFileDialog &dialog)
{
    dialog.setObjectName(QStringLiteral("ScriptChooser"));
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString toOpen(QWidget *parent, const QString &folder)
{
    QFileDialog dialog(parent, QStringLiteral("スクリプトを開く"), folder);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // A server's scripts do not always end in .txt.
    dialog.setNameFilters({QStringLiteral("スクリプト (*.txt)"), QStringLiteral("すべてのファイル (*)")});
    return chosen(dialog);
}

QString toSaveAs(QWidget *parent, const QString &proposal)
{
    QFileDialog dialog(parent, QStringLiteral("名前を付けて保存"), proposal);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("スクリプト (*.txt)"));
    return chosen(dialog);
}

} // namespace ScriptChooser
