#include "conversation/folder_functions.h"

#include "common/code_page.h"
#include "common/line_breaks.h"
#include "common/regular_file.h"
#include "conversation/script_snapshot.h"

#include <QDirIterator>

#include <algorithm>

namespace Conversation {

FolderFunctions::FolderFunctions(QString folder, std::shared_ptr<const Commands::Table> commands)
    : folder_(std::move(folder)), commands_(std::move(commands))
{
}

FolderFunctions::~FolderFunctions() = default;

std::optional<Source> FolderFunctions::find(const QString &name)
{
    if (!read_)
        readFolder();
    for (File &file : files_) {
        std::optional<Source> found = file.snapshot->function(name);
        if (found) {
            found->file = file.path;
            return found;
        }
    }
    return std::nullopt;
}

// Scripts that cannot be read, are too large or are not code page 932 are passed
// over: they define nothing the run could use.
void FolderFunctions::readFolder()
{
    read_ = true;
    if (folder_.isEmpty())
        return;
    QStringList paths;
    QDirIterator it(folder_, {QStringLiteral("*.txt"), QStringLiteral("*.TXT")}, QDir::Files | QDir::Readable,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        paths.append(it.next());
    std::sort(paths.begin(), paths.end());
    for (const QString &path : std::as_const(paths)) {
        const RegularFile::Result read = RegularFile::tryRead(path, RegularFile::kDefaultMaxBytes);
        if (read.status != RegularFile::Result::Status::Read)
            continue;
        bool ok = false;
        const QString text = CodePage932::decode(read.bytes, &ok);
        if (!ok)
            continue;
        auto snapshot =
            std::make_unique<ScriptSnapshot>(ScriptLines::of(LineBreaks::normalised(text).split(u'\n')), commands_);
        files_.push_back({path, std::move(snapshot)});
    }
}

} // namespace Conversation
