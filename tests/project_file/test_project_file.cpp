// The project file as the tool, the language server and the editor read it: its
// keys, the warnings that name a line, which file applies, and what wins over it.
#include "project_file/key_lines.h"
#include "project_file/project_file.h"
#include "project_file/project_table.h"
#include "project_file/source_family.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// "3:tagret" for each warning: its line and the first word it quotes.
QStringList warningPlaces(const QList<ProjectFile::Warning> &warnings)
{
    static const QRegularExpression quoted(QStringLiteral("「([^」]*)」"));
    QStringList places;
    for (const ProjectFile::Warning &warning : warnings)
        places.append(QStringLiteral("%1:%2").arg(warning.line).arg(quoted.match(warning.message).captured(1)));
    return places;
}

QString sortedJoined(const QSet<QString> &set)
{
    QStringList list(set.cbegin(), set.cend());
    list.sort();
    return list.join(u',');
}

QString severitiesOf(const ProjectFile::Settings &settings)
{
    QStringList list;
    for (auto it = settings.severities.cbegin(); it != settings.severities.cend(); ++it)
        list.append(it.key() + (it.value() == Diagnostic::Severity::Error ? QStringLiteral("=error")
                                                                          : QStringLiteral("=warning")));
    list.sort();
    return list.join(u',');
}

const QByteArray kStrictSource = "static struct script_function buildin_func[] = {\n"
                                 "\tBUILDIN_DEF(mes,\"s*\"),\n};\n";
const QByteArray kOldSource = "struct buildin_func buildin_func[] = {\n\t{buildin_mes,\"mes\",\"s\"},\n};\n";

} // namespace

class ProjectFileTest : public QObject
{
    Q_OBJECT

private slots:
    void read_givesKeysAndWarnsWithLines_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("target"); // "-" when the file names none
        QTest::addColumn<QString>("disabled");
        QTest::addColumn<QString>("severities");
        QTest::addColumn<QString>("encoding");
        QTest::addColumn<QStringList>("flags");
        QTest::addColumn<QStringList>("warnings");
        QTest::newRow("every key") << QByteArray("target = today-strict\ndisable = TW210, tw104\n"
                                                 "severity = TW201=error,TW212=off, TW205=warning\n"
                                                 "encoding = utf-8\nflags = PRERENEWAL, !HERCULES\n")
                                   << "today-strict"
                                   << "TW104,TW210,TW212"
                                   << "TW201=error,TW205=warning"
                                   << "utf-8" << QStringList{"PRERENEWAL", "!HERCULES"} << QStringList{};
        QTest::newRow("empty file") << QByteArray() << "-"
                                    << ""
                                    << ""
                                    << "" << QStringList{} << QStringList{};
        QTest::newRow("unknown key, the rest applies")
            << QByteArray("; a comment\n\ntagret = today\ntarget = later\n") << "later"
            << ""
            << ""
            << "" << QStringList{} << QStringList{"3:tagret"};
        QTest::newRow("key in a section is unknown")
            << QByteArray("target = older\n[check]\ndisable = TW104\n") << "older"
            << ""
            << ""
            << "" << QStringList{} << QStringList{"3:check/disable"};
        QTest::newRow("[General] is the top") << QByteArray("[General]\ntarget = today-anycase\n") << "today-anycase"
                                              << ""
                                              << ""
                                              << "" << QStringList{} << QStringList{};
        QTest::newRow("unknown target word") << QByteArray("encoding = EUC-JP\ntarget = tomorrow\n") << "-"
                                             << ""
                                             << ""
                                             << "EUC-JP" << QStringList{} << QStringList{"2:tomorrow"};
        QTest::newRow("unknown codes among known ones")
            << QByteArray("disable = TW104, TW999\nseverity = TW104=loud, TW210=error, TWX\n") << "-"
            << "TW104"
            << "TW210=error"
            << "" << QStringList{} << QStringList{"1:TW999", "2:TW104=loud", "2:TWX"};
        QTest::newRow("unknown encoding and flag")
            << QByteArray("encoding = no-such-code\nflags = RENEWAL, lower\n") << "-"
            << ""
            << ""
            << "" << QStringList{"RENEWAL"} << QStringList{"1:no-such-code", "2:lower"};
        QTest::newRow("missing server folder and commands file")
            << QByteArray("server = nowhere\ncommands = none.tsv\n") << "-"
            << ""
            << ""
            << "" << QStringList{} << QStringList{"1:nowhere", "2:none.tsv"};
        QTest::newRow("byte order mark") << QByteArray("\xef\xbb\xbftagret = older\ntarget = later\n") << "later"
                                         << ""
                                         << ""
                                         << "" << QStringList{} << QStringList{"1:tagret"};
        QTest::newRow("crlf lines, key written twice")
            << QByteArray("target = older\r\nbogus = 1\r\ntarget = today\r\n") << "today"
            << ""
            << ""
            << "" << QStringList{} << QStringList{"2:bogus"};
    }
    void read_givesKeysAndWarnsWithLines()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, target);
        QTemporaryDir dir;
        const QString path = dir.filePath(ProjectFile::fileName());
        QVERIFY(writeFile(path, ini));
        const ProjectFile::Settings settings = ProjectFile::read(path);
        QCOMPARE(settings.servers ? Target(*settings.servers).name() : QStringLiteral("-"), target);
        QTEST(sortedJoined(settings.disabled), "disabled");
        QTEST(severitiesOf(settings), "severities");
        QTEST(settings.encoding, "encoding");
        QTEST(settings.flags, "flags");
        QTEST(warningPlaces(settings.warnings), "warnings");
        for (const ProjectFile::Warning &warning : settings.warnings)
            QCOMPARE(warning.file, path);
    }

    void read_resolvesPathsFromItsOwnFolder()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("server/src/map")));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("server/src/map/script.c")), kStrictSource));
        const QString path = dir.filePath(QStringLiteral("npc/talewick-check.ini"));
        QVERIFY(writeFile(path, "server = ../server\ncommands = ../server/src/map/script.c\n"));
        const ProjectFile::Settings settings = ProjectFile::read(path);
        QCOMPARE(settings.serverFolder, dir.filePath(QStringLiteral("server")));
        QCOMPARE(settings.commandsPath, dir.filePath(QStringLiteral("server/src/map/script.c")));
        QCOMPARE(settings.warnings.size(), 0);
    }

    void read_unreadableFile_warnsForTheWholeFile()
    {
        QTemporaryDir dir;
        const ProjectFile::Settings settings = ProjectFile::read(dir.path()); // a folder
        QCOMPARE(settings.warnings.size(), 1);
        QCOMPARE(settings.warnings.front().line, 0);
    }

    void find_nearestFolderAboveWins()
    {
        QTemporaryDir dir;
        const QString deep = dir.filePath(QStringLiteral("a/b/c"));
        QVERIFY(QDir().mkpath(deep));
        QCOMPARE(ProjectFile::find(deep), QString());
        QVERIFY(writeFile(dir.filePath(QStringLiteral("a/talewick-check.ini")), "target = older\n"));
        QCOMPARE(ProjectFile::find(deep), dir.filePath(QStringLiteral("a/talewick-check.ini")));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("a/b/talewick-check.ini")), "target = later\n"));
        QCOMPARE(ProjectFile::find(deep), dir.filePath(QStringLiteral("a/b/talewick-check.ini")));
        QCOMPARE(ProjectFile::find(dir.filePath(QStringLiteral("a"))),
                 dir.filePath(QStringLiteral("a/talewick-check.ini")));
        // A folder of that name is no project file.
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("a/b/c/talewick-check.ini"))));
        QCOMPARE(ProjectFile::find(deep), dir.filePath(QStringLiteral("a/b/talewick-check.ini")));
    }

    void sourceFamily_followsFormAndName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("servers"); // 0: a table, not a source
        QTest::newRow("script.c, BUILDIN_DEF") << "script.c" << kStrictSource << int(Target::TodayStrict);
        QTest::newRow("script.cpp, BUILDIN_DEF") << "script.cpp" << kStrictSource << int(Target::TodayAnyCase);
        QTest::newRow("old list") << "script.c" << kOldSource << int(Target::Older | Target::Later);
        QTest::newRow("a table") << "commands.tsv" << QByteArray("mes\t1\t1\ts\n") << 0;
    }
    void sourceFamily_followsFormAndName()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, text);
        const std::optional<Target::Servers> servers = SourceFamily::serversOf(name, QString::fromUtf8(text));
        QTEST(servers ? int(*servers) : 0, "servers");
    }

    // What the caller says wins over the project file, which wins over the family
    // of the command source in use, which wins over every server.
    void table_precedence_givenOverFileOverFamily_data()
    {
        QTest::addColumn<QString>("given");  // --target, "" when not given
        QTest::addColumn<QByteArray>("ini"); // the project file
        QTest::addColumn<QString>("source"); // the commands file the caller gives, "" for none
        QTest::addColumn<int>("servers");
        QTest::newRow("nothing said") << "" << QByteArray() << "" << int(Target::kEveryServer);
        QTest::newRow("file") << "" << QByteArray("target = later\n") << "" << int(Target::Later);
        QTest::newRow("given over file") << "today" << QByteArray("target = later\n") << "" << int(Target::kToday);
        QTest::newRow("family of given source") << "" << QByteArray() << "script.c" << int(Target::TodayStrict);
        QTest::newRow("file over family") << "" << QByteArray("target = older\n") << "script.cpp" << int(Target::Older);
        QTest::newRow("family of file's source")
            << "" << QByteArray("commands = src/script.cpp\n") << "" << int(Target::TodayAnyCase);
        QTest::newRow("given source over file's")
            << "" << QByteArray("commands = src/script.cpp\n") << "script.c" << int(Target::TodayStrict);
    }
    void table_precedence_givenOverFileOverFamily()
    {
        QFETCH(QString, given);
        QFETCH(QByteArray, ini);
        QFETCH(QString, source);
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("src/script.c")), kStrictSource));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("src/script.cpp")), kStrictSource));
        QVERIFY(writeFile(dir.filePath(ProjectFile::fileName()), ini));
        ProjectTable::Given caller;
        if (!given.isEmpty())
            caller.servers = Target::fromName(given)->servers();
        if (!source.isEmpty()) {
            caller.commandsPath = dir.filePath(QStringLiteral("src/") + source);
            caller.commands = Commands::withFile(caller.commandsPath);
        }
        const ProjectFile::Settings file = ProjectFile::read(dir.filePath(ProjectFile::fileName()));
        QList<ProjectFile::Warning> warnings = file.warnings;
        const auto table = ProjectTable::make(caller, file, warnings);
        QTEST(int(table->target().servers()), "servers");
        QCOMPARE(warnings.size(), 0);
    }

    void table_givenFlagsComeAfterTheFilesOwn()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(ProjectFile::fileName());
        QVERIFY(writeFile(path, "flags = PRERENEWAL, CUSTOMX\n"));
        QList<ProjectFile::Warning> warnings;
        const auto fileOnly = ProjectTable::make({}, ProjectFile::read(path), warnings);
        QVERIFY(fileOnly->target().defines(u"PRERENEWAL"));
        QVERIFY(!fileOnly->target().defines(u"RENEWAL"));
        QVERIFY(fileOnly->target().defines(u"CUSTOMX"));
        ProjectTable::Given given;
        given.flags = QStringList{QStringLiteral("RENEWAL"), QStringLiteral("-CUSTOMX")};
        const auto both = ProjectTable::make(given, ProjectFile::read(path), warnings);
        QVERIFY(both->target().defines(u"RENEWAL"));
        QVERIFY(!both->target().defines(u"PRERENEWAL"));
        QVERIFY(!both->target().defines(u"CUSTOMX"));
    }

    void table_unreadableCommandsOfTheFile_warnsAtItsLineAndKeepsTheBuiltIn()
    {
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("bad.tsv")), "mes\tnot-a-number\n"));
        const QString path = dir.filePath(ProjectFile::fileName());
        QVERIFY(writeFile(path, "target = today\ncommands = bad.tsv\n"));
        QList<ProjectFile::Warning> warnings;
        const auto table = ProjectTable::make({}, ProjectFile::read(path), warnings);
        QCOMPARE(warnings.size(), 1);
        QCOMPARE(warnings.front().line, 2);
        QCOMPARE(table->size(), Commands::Table::builtIn()->size());
        QCOMPARE(table->target().servers(), Target::kToday);
    }

    void keyLines_placeEachKeyOnItsLastLine()
    {
        const QHash<QString, int> lines =
            KeyLines::of(u"; note\n a = 1\n[Sec]\nb=2\n[general]\na = 3\n=4\nnot a key\n");
        QCOMPARE(lines.value(QStringLiteral("a")), 6);
        QCOMPARE(lines.value(QStringLiteral("Sec/b")), 4);
        QCOMPARE(lines.size(), 2);
    }
};

QTEST_GUILESS_MAIN(ProjectFileTest)
#include "test_project_file.moc"
