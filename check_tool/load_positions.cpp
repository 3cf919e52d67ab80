#include "check_tool/load_positions.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <map>

namespace LoadPositions {

namespace {

QString absoluteClean(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// The places of the listed scripts, by their absolute paths: read once per folder.
QHash<QString, int> placesIn(const QString &folder, const QStringList &order)
{
    QHash<QString, int> places;
    const QDir dir(folder);
    // Lists written on Windows may separate folders with backslashes.
    for (int position = 0; position < order.size(); ++position)
        places.insert(absoluteClean(dir.filePath(QString(order.at(position)).replace(u'\\', u'/'))), position);
    return places;
}

} // namespace

void assign(QVector<CheckReport::FileResult> &files, const std::function<QString(const QString &file)> &folderOf)
{
    std::map<QString, QHash<QString, int>> folders;
    for (CheckReport::FileResult &file : files) {
        const QString folder = folderOf(file.fileName);
        file.serverFolder = folder.isEmpty() ? QString() : absoluteClean(folder);
        file.loadPosition = -1;
        if (file.serverFolder.isEmpty() || file.loadOrder.isEmpty())
            continue;
        auto places = folders.find(file.serverFolder);
        if (places == folders.end())
            places = folders.emplace(file.serverFolder, placesIn(file.serverFolder, file.loadOrder)).first;
        file.loadPosition = places->second.value(absoluteClean(file.fileName), -1);
    }
}

} // namespace LoadPositions
