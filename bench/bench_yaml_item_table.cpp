// The memory it takes to read a server's YAML item table: a generated table of
// about 3 MB, shaped as real ones are (nested flags, jobs, equip places, scripts),
// read by the server folder's reader in a child process under /usr/bin/time -v,
// beside a child that only reads the file's bytes. The difference of their peak
// resident sizes is what the reader itself holds at its peak.
//
//   bench_yaml_item_table FILE [BYTES]   writes FILE when missing, then measures
//   bench_yaml_item_table --read FILE    (the child) reads FILE as the folder does
//   bench_yaml_item_table --bytes FILE   (the child) reads FILE's bytes only
#include "server_folder/file_readers.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include <cstdio>

namespace {

constexpr qint64 kDefaultBytes = 3 * 1000 * 1000;

// One item, its fields as a real table writes them; every few a longer script.
QByteArray item(int i)
{
    const QByteArray n = QByteArray::number(i);
    QByteArray text = "  - Id: " + QByteArray::number(500 + i) + "\n    AegisName: Made_Item_" + n +
                      "\n    Name: Made Item " + n + "\n    Type: " + (i % 3 ? "Armor" : "Usable") +
                      "\n    Buy: " + QByteArray::number(10 * (i % 97 + 1)) + "\n    Weight: " +
                      QByteArray::number(i % 500) +
                      "\n    Defense: 3\n    Slots: 1\n    Jobs:\n      All: true\n      Novice: false\n"
                      "    Classes:\n      All_Upper: true\n    Locations:\n      Head_Top: true\n"
                      "    Flags:\n      BuyingStore: true\n    EquipLevelMin: 10\n    Refineable: true\n"
                      "    View: " +
                      n + "\n    Trade:\n      NoDrop: true\n      NoSell: true\n";
    if (i % 4 == 0)
        text += "    Script: |\n      bonus bStr,1;\n      bonus2 bAddRace,RC_Undead,5;\n"
                "      if (getrefine() > 6) bonus bMdef,1;\n";
    return text;
}

bool writeTable(const QString &path, qint64 bytes)
{
    QByteArray text = "Header:\n  Type: ITEM_DB\n  Version: 3\n\nBody:\n";
    for (int i = 0; text.size() < bytes; ++i)
        text += item(i);
    text += "\nFooter:\n  Imports:\n    - Path: db/import/item_db.yml\n";
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

// The peak resident size in kilobytes of this program run with `arguments`.
qint64 peakKilobytes(const QStringList &arguments, QString &output)
{
    QProcess process;
    process.start(QStringLiteral("/usr/bin/time"),
                  QStringList{QStringLiteral("-v"), QCoreApplication::applicationFilePath()} + arguments);
    process.waitForFinished(-1);
    output = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    const QRegularExpressionMatch rss = QRegularExpression(QStringLiteral("Maximum resident set size \\(kbytes\\): (\\d+)"))
                                            .match(QString::fromUtf8(process.readAllStandardError()));
    return rss.hasMatch() ? rss.captured(1).toLongLong() : -1;
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int child(const QString &mode, const QString &path)
{
    const QByteArray bytes = bytesOf(path);
    if (mode == QLatin1String("--bytes")) {
        std::printf("%lld bytes\n", static_cast<long long>(bytes.size()));
        return 0;
    }
    const ServerFolder::Facts facts =
        ServerFolder::Readers::entryDbYaml(bytes, QStringLiteral("db/re/item_db.yml"), ServerFolder::Readers::Table::Items);
    std::printf("%lld items, %lld problems\n", static_cast<long long>(facts.items.size()),
                static_cast<long long>(facts.problems.size()));
    return facts.problems.isEmpty() ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() == 3 && arguments.at(1).startsWith(QLatin1String("--")))
        return child(arguments.at(1), arguments.at(2));
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: bench_yaml_item_table FILE [BYTES]\n");
        return 2;
    }
    const QString path = arguments.at(1);
    const qint64 bytes = arguments.size() > 2 ? arguments.at(2).toLongLong() : kDefaultBytes;
    if (!QFileInfo::exists(path) && !writeTable(path, bytes)) {
        std::fprintf(stderr, "bench_yaml_item_table: cannot write %s\n", qPrintable(path));
        return 1;
    }
    QString read, base;
    const qint64 reading = peakKilobytes({QStringLiteral("--read"), path}, read);
    const qint64 baseline = peakKilobytes({QStringLiteral("--bytes"), path}, base);
    std::printf("%s (%.2f MB): %s\n  max RSS reading it %lld kB, reading its bytes only %lld kB: the reader %lld kB\n",
                qPrintable(path), double(QFileInfo(path).size()) / 1e6, qPrintable(read), static_cast<long long>(reading),
                static_cast<long long>(baseline), static_cast<long long>(reading - baseline));
    return 0;
}
