#pragma once

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVector>

// Answers every modal message box that opens while it lives, as a user pressing
// OK would, and records what each one showed.
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
    };

    DialogWatcher();

    const QVector<Seen> &seen() const { return seen_; }

private:
    void answer();

    QTimer poll_;
    QVector<Seen> seen_;
};
