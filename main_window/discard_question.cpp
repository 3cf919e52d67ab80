#include "main_window/discard_question.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>

bool userAgreesToDiscardScript(QWidget *parent)
{
    QMessageBox box(QMessageBox::Question, QCoreApplication::applicationName(),
                    QStringLiteral("編集中のスクリプトを破棄して開きますか？"), QMessageBox::Yes | QMessageBox::No,
                    parent);
    box.setObjectName(QStringLiteral("DiscardQuestion"));
    box.setTextFormat(Qt::PlainText);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("はい"));
    box.button(QMessageBox::No)->setText(QStringLiteral("いいえ"));
    // Enter or a stray key press must not throw the user's work away.
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}
