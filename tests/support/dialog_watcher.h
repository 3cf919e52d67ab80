#pragma once

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVector>

// Answers every modal message box that opens while it lives, as a user pressing
// OK would (or, for a question, the button given), and records what each one showed.
class DialogWatcher : public QObject
{
public:
    struct Seen
    {
        QString title;
        QString text;
        QMessageBox::Icon icon;
        int buttonCount;
        bool okIsTheButton;
        QStringList buttonTexts;
    };

    explicit DialogWatcher(QMessageBox::StandardButton answer = QMessageBox::Ok);

    const QVector<Seen> &seen() const { return seen_; }

private:
    void answer();

    QMessageBox::StandardButton answer_;
    QTimer poll_;
    QVector<Seen> seen_;
};
