#pragma once

#include "language_server/text_document.h"
#include "language_server/workspace.h"

#include <QHash>
#include <QString>
#include <QVector>

#include <utility>

namespace Lsp {

// What the functions of the workspace's scripts do to the conversation window,
// shared between them (WindowAcross): the open scripts', which follow their
// edits, and those of the files on disk no open script stands for, read once.
// When what one of them does changes, only the open scripts that call it have
// their calls judged again. A file on disk whose function calls a function of
// another file is read again to be asked, and keeps what it then said.
class WindowSharing
{
public:
    struct Open
    {
        QString key;
        TextDocument *text;
        bool flowPending = false; // its flow waits for typing to pause: its calls are judged then
    };
    // By index into `open`, the lines whose findings changed.
    using Changed = QVector<std::pair<int, QVector<int>>>;

    // Shares what the functions do now; nothing is worked out when no script's
    // functions changed since the last call.
    Changed share(const QVector<Open> &open, Workspace &workspace);

private:
    bool sameAsBefore(const QVector<Open> &open, const Workspace &workspace);

    QHash<QString, quint64> seen_; // by open script, the generation of its functions' windows
    quint64 diskSeen_ = 0;
    bool sharedOnce_ = false;
};

} // namespace Lsp
