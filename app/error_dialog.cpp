#include "app/error_dialog.h"

#include "app/application_title.h"
#include "app/error_text.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>

void showErrorDialog(const QString &message)
{
    // A button or field that still holds the mouse would keep it through the dialog.
    if (QWidget *grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();

    QMessageBox box(QMessageBox::Critical, applicationTitle(), errorDialogText(message), QMessageBox::Ok);
    box.setObjectName(QStringLiteral("ErrorDialog"));
    box.setWindowModality(Qt::ApplicationModal);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
