#pragma once

#include <QFileDialog>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVector>

// Answers the file choosers that open while it lives, as a user would: the first
// one by choosing `path` (or cancelling when it is empty), every later one by
// cancelling. Records where each chooser started and what it offered.
class ChooserWatcher : public QObject
{
public:
    struct Seen
    {
        QString title;
        QString folder;
        QString proposedName;
        QStringList filters;
        QFileDialog::AcceptMode mode;
    };

    explicit ChooserWatcher(QString path);

    const QVector<Seen> &seen() const { return seen_; }

private:
    void answer();

    QString path_;
    QTimer poll_;
    QVector<Seen> seen_;
};
