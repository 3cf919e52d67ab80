#include "check_tool/script_files.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace ScriptFiles {

namespace {

bool isScriptName(const char *name)
{
    const size_t length = std::strlen(name);
    return length >= 4 && strcasecmp(name + length - 4, ".txt") == 0;
}

struct DirCloser
{
    void operator()(DIR *dir) const { closedir(dir); }
};

// The kind of an entry, from the folder's listing where the file system gives it;
// a link is followed to what it names, so a link to a file counts as the file.
unsigned char kindOf(int folder, const dirent &entry)
{
    if (entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK)
        return entry.d_type;
    struct stat status;
    if (entry.d_type == DT_LNK) {
        // A link to a folder is neither walked nor a script.
        if (fstatat(folder, entry.d_name, &status, 0) != 0 || !S_ISREG(status.st_mode))
            return DT_UNKNOWN;
        return DT_REG;
    }
    if (fstatat(folder, entry.d_name, &status, AT_SYMLINK_NOFOLLOW) != 0)
        return DT_UNKNOWN;
    if (S_ISDIR(status.st_mode))
        return DT_DIR;
    if (S_ISLNK(status.st_mode))
        return fstatat(folder, entry.d_name, &status, 0) == 0 && S_ISREG(status.st_mode) ? DT_REG : DT_UNKNOWN;
    return S_ISREG(status.st_mode) ? DT_REG : DT_UNKNOWN;
}

struct Entry
{
    QString name;
    bool folder = false;
    friend bool operator<(const Entry &a, const Entry &b) { return a.name < b.name; }
};

// The scripts and folders `descriptor` lists, sorted by name; the folder is closed
// before any of its sub-folders is opened.
std::vector<Entry> entriesOf(int descriptor)
{
    std::vector<Entry> entries;
    const std::unique_ptr<DIR, DirCloser> dir(fdopendir(descriptor));
    if (!dir) {
        close(descriptor);
        return entries;
    }
    while (const dirent *entry = readdir(dir.get())) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        const unsigned char kind = kindOf(dirfd(dir.get()), *entry);
        if ((kind == DT_REG && isScriptName(entry->d_name)) || kind == DT_DIR)
            entries.push_back({QFile::decodeName(entry->d_name), kind == DT_DIR});
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

// Listed with the file system's own calls: a listing that asked for the status of
// every file took as long as checking the first thousand of them. Each folder comes
// sorted, so the paths mostly come in the order they are reported in.
void walk(const QString &path, int descriptor, const std::function<void(const QString &)> &found)
{
    const QString prefix = path.endsWith(u'/') ? path : path + u'/';
    for (const Entry &entry : entriesOf(descriptor)) {
        const QString inner = prefix + entry.name;
        if (!entry.folder) {
            found(inner);
            continue;
        }
        const int folder = open(QFile::encodeName(inner).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (folder >= 0)
            walk(inner, folder, found);
    }
}

} // namespace

void forEachUnder(const QString &folder, const std::function<void(const QString &)> &found)
{
    const int descriptor = open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0)
        walk(folder, descriptor, found);
}

} // namespace ScriptFiles
