// Reading a server's folder: a generated folder with a 3 MB item table (in the
// YAML and in the .conf form), its monsters, maps, constants, skills and command
// source, read in the process (the median of several runs), and talewick-check
// --server on it and on a few generated scripts, with its peak memory beside that
// of the same check without the folder (from /usr/bin/time -v).
//
//   bench_server_folder TALEWICK_CHECK [RUNS] [KEEP_FOLDER]
#include "checker/server_table.h"
#include "server_folder/server_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr qint64 kItemTableBytes = 3 * 1000 * 1000;
constexpr int kMonsters = 1950;
constexpr int kMaps = 1203;
constexpr int kConstants = 3402;
constexpr int kSkills = 5600;
constexpr int kCommands = 650;
constexpr int kNpcs = 400;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray itemName(int i)
{
    return "Made_Item_" + QByteArray::number(i);
}

// One item as each form writes it, with a script as long as real ones often are.
QByteArray yamlItem(int i)
{
    return "  - Id: " + QByteArray::number(500 + i) + "\n    AegisName: " + itemName(i) + "\n    Name: Made Item " +
           QByteArray::number(i) +
           "\n    Type: Usable\n    Buy: 50\n    Weight: 70\n    Script: |\n      itemheal rand(45,65),0;\n"
           "      bonus bStr,1;\n";
}

QByteArray confItem(int i)
{
    return "{\n\tId: " + QByteArray::number(500 + i) + "\n\tAegisName: \"" + itemName(i) + "\"\n\tName: \"Made Item " +
           QByteArray::number(i) +
           "\"\n\tType: 0\n\tBuy: 50\n\tWeight: 70\n\tScript: <\"\n\t\titemheal rand(45,65),0;\n"
           "\t\tbonus bStr,1;\n\t\">\n},\n";
}

// The item table in either form, grown to kItemTableBytes; how many items it holds.
int writeItems(const QString &root, bool yaml)
{
    QByteArray bytes = yaml ? "Header:\n  Type: ITEM_DB\n  Version: 3\nBody:\n" : "item_db: (\n";
    int count = 0;
    while (bytes.size() < kItemTableBytes)
        bytes += yaml ? yamlItem(count++) : confItem(count++);
    if (!yaml)
        bytes += ")\n";
    write(QDir(root).filePath(yaml ? QStringLiteral("db/re/item_db.yml") : QStringLiteral("db/re/item_db.conf")),
          bytes);
    return count;
}

void writeRest(const QString &root)
{
    const QDir dir(root);
    QByteArray monsters = "Body:\n", maps, constants, skills = "skill_db: (\n", source;
    for (int i = 0; i < kMonsters; ++i)
        monsters += "  - Id: " + QByteArray::number(1000 + i) + "\n    AegisName: MADE_MOB_" + QByteArray::number(i) +
                    "\n    Name: Made Mob " + QByteArray::number(i) + "\n";
    for (int i = 0; i < kMaps; ++i)
        maps += "made_map" + QByteArray::number(i) + " " + QByteArray::number(i + 1) + "\n";
    for (int i = 0; i < kConstants; ++i)
        constants += "Made_Constant_" + QByteArray::number(i) + "\t" + QByteArray::number(i) + "\n";
    for (int i = 0; i < kSkills; ++i)
        skills += "{ Id: " + QByteArray::number(i + 1) + " Name: \"MADE_SKILL_" + QByteArray::number(i) + "\" },\n";
    for (int i = 0; i < kCommands; ++i)
        source += "\tBUILDIN_DEF(made_command" + QByteArray::number(i) + ",\"si?\"),\n";
    write(dir.filePath(QStringLiteral("db/re/mob_db.yml")), monsters);
    write(dir.filePath(QStringLiteral("db/map_index.txt")), maps);
    write(dir.filePath(QStringLiteral("db/const.txt")), constants);
    write(dir.filePath(QStringLiteral("db/re/skill_db.conf")), skills + ")\n");
    write(dir.filePath(QStringLiteral("src/map/script.c")), "BUILDIN_DEF(mes,\"s*\"),\nBUILDIN_DEF(getitem,\"vi?\"),\n"
                                                            "BUILDIN_DEF(end,\"\"),\n" +
                                                                source);
}

// NPCs that name maps, items, monsters and constants, a few of them wrongly.
void writeScripts(const QString &root)
{
    QByteArray text;
    for (int i = 0; i < kNpcs; ++i) {
        const QByteArray n = QByteArray::number(i);
        text += "made_map" + QByteArray::number(i % kMaps) + ".tsg,10,10,4\tscript\tGuide" + n +
                "\t56,{\n"
                "\tif (Made_Constant_" +
                QByteArray::number(i % kConstants) +
                " > 1) end;\n"
                "\tgetitem " +
                QByteArray::number(500 + i) +
                ",1;\n"
                "\tgetitem \"" +
                itemName(i) + (i % 50 == 0 ? "x" : "") +
                "\",1;\n"
                "\tend;\n}\n";
    }
    write(QDir(root).filePath(QStringLiteral("npc/made.txt")), text);
}

double readMilliseconds(const QString &root, int runs, ServerFolder::Facts *facts)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        *facts = ServerFolder::read(root);
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return median(times);
}

// The peak memory in kilobytes and the seconds of one talewick-check run.
std::pair<qint64, double> checkRun(const QString &tool, const QStringList &arguments)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(QStringLiteral("/usr/bin/time"), QStringList{QStringLiteral("-v"), tool} + arguments);
    process.waitForFinished(-1);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    const QString report = QString::fromUtf8(process.readAllStandardError());
    const QRegularExpressionMatch rss =
        QRegularExpression(QStringLiteral("Maximum resident set size \\(kbytes\\): (\\d+)")).match(report);
    return {rss.hasMatch() ? rss.captured(1).toLongLong() : -1, seconds};
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: bench_server_folder TALEWICK_CHECK [RUNS] [KEEP_FOLDER]\n");
        return 2;
    }
    const int runs = arguments.size() > 2 ? arguments.at(2).toInt() : 5;
    QTemporaryDir temporary;
    const QString base = arguments.size() > 3 ? arguments.at(3) : temporary.path();
    for (const bool yaml : {true, false}) {
        const QString root = QDir(base).filePath(yaml ? QStringLiteral("yaml") : QStringLiteral("conf"));
        const int items = writeItems(root, yaml);
        writeRest(root);
        writeScripts(root);
        ServerFolder::Facts facts;
        const double read = readMilliseconds(root, runs, &facts);
        QElapsedTimer timer;
        timer.start();
        const ServerTable::Folder folder = ServerTable::read(root);
        const auto table = ServerTable::forFolder(folder, *Commands::Table::builtIn(), false);
        const double indexed = double(timer.nsecsElapsed()) / 1e6;
        std::printf("%s item table, %d items (%.1f MB): read %.0f ms (median of %d), read and indexed %.0f ms; %s\n",
                    yaml ? "YAML" : ".conf", items, double(kItemTableBytes) / 1e6, read, runs, indexed,
                    qPrintable(ServerTable::summary(facts)));
        const QString npc = QDir(root).filePath(QStringLiteral("npc"));
        const auto [with, withSeconds] = checkRun(arguments.at(1), {QStringLiteral("--server"), root, npc});
        const auto [without, withoutSeconds] = checkRun(arguments.at(1), {npc});
        std::printf("  talewick-check --server: %.2f s, max RSS %lld kB; without the folder: %.2f s, max RSS %lld kB\n",
                    withSeconds, with, withoutSeconds, without);
    }
    return 0;
}
