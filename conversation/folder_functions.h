#pragma once

#include "checker/commands.h"
#include "conversation/run.h"

#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace Conversation {

class ScriptSnapshot;

// The functions ("function<TAB>script<TAB>Name<TAB>{") that the scripts of a
// folder and its subfolders define, for a callfunc the script previewed does not
// answer. The folder is read when a name is first asked for, and kept; each file's
// functions are checked only when one of them is run.
class FolderFunctions
{
public:
    FolderFunctions(QString folder, std::shared_ptr<const Commands::Table> commands);
    ~FolderFunctions();
    FolderFunctions(const FolderFunctions &) = delete;
    FolderFunctions &operator=(const FolderFunctions &) = delete;

    // The first definition of `name` in the folder's .txt files, in the order of
    // their paths; nothing when none defines it.
    std::optional<Source> find(const QString &name);

private:
    void readFolder();

    struct File
    {
        QString path;
        std::unique_ptr<ScriptSnapshot> snapshot;
    };
    QString folder_;
    std::shared_ptr<const Commands::Table> commands_;
    std::vector<File> files_;
    bool read_ = false;
};

} // namespace Conversation
