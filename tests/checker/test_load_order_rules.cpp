// What today's servers decide as they load files one after another, checked over
// small hand-written sets of files: functions called by name and duplicates'
// sources loaded before, unique NPC names, and other NPCs' private functions.
#include "check_tool/check_all.h"
#include "check_tool/check_report.h"
#include "check_tool/report_place.h"
#include "checker/rules.h"
#include "checker_test_support.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// One file of a set: its name, its text, and its place in the server's load
// order (-1: the lists do not name it).
struct Source
{
    QString name;
    QString text;
    int position = -1;
};
using Sources = QVector<Source>;

std::shared_ptr<const Commands::Table> tableFor(const QString &targetName)
{
    auto table = std::make_shared<Commands::Table>(*Commands::Table::builtIn());
    table->setTarget(*Target::fromName(targetName));
    return table;
}

// The findings of these rules, and of calls by name, as "FILE LINE:COLUMN CODE".
// With `listed` files in the server's load order, the set is one server's.
QStringList judged(const Sources &sources, const QString &targetName = QStringLiteral("today"), int listed = -1)
{
    const auto table = tableFor(targetName);
    QVector<CheckReport::FileResult> files;
    for (const Source &source : sources) {
        files.append(CheckReport::checkBytes(source.name, source.text.toUtf8(), table));
        if (listed >= 0) {
            files.back().serverFolder = QStringLiteral("/srv");
            files.back().loadOrder = QStringList(listed, QStringLiteral("npc/listed.txt"));
            files.back().loadPosition = source.position;
        }
    }
    CheckReport::checkFunctionsAcross(files);
    const QSet<QString> codes{QStringLiteral("TW115"), QStringLiteral("TW222"), QStringLiteral("TW223"),
                              QStringLiteral("TW333"), QStringLiteral("TW334")};
    QStringList found;
    for (const CheckReport::FileResult &file : std::as_const(files)) {
        for (const Diagnostic &d : file.diagnostics) {
            if (codes.contains(d.code))
                found << file.fileName + u' ' + described(d);
        }
    }
    return found;
}

const QString kFunction = QStringLiteral("function\tscript\tF_Toll\t{\n\treturn getarg(0) * 2;\n}\n");
const QString kCaller = QStringLiteral("harbor01.tsg,1,2,0\tscript\tGuard\t56,{\n\tF_Toll(2);\n\tend;\n}\n");
const QString kFerry = QStringLiteral("harbor01.tsg,5,5,0\tscript\tFerryman\t56,{\n\tend;\n}\n");
const QString kDuplicate = QStringLiteral("harbor01.tsg,6,6,0\tduplicate(Ferryman)\tFerryman#2\t56\n");

} // namespace

Q_DECLARE_METATYPE(Source)

class LoadOrderRulesTest : public QObject
{
    Q_OBJECT

private:
    static void addColumns()
    {
        QTest::addColumn<Sources>("sources");
        QTest::addColumn<int>("listed");
        QTest::addColumn<QStringList>("expected");
    }
    static void check()
    {
        QFETCH(Sources, sources);
        QFETCH(int, listed);
        QFETCH(QStringList, expected);
        QCOMPARE(judged(sources, QStringLiteral("today"), listed), expected);
    }

private slots:
    void functionsByName_mustBeLoadedBeforeTheCaller_data()
    {
        addColumns();
        const auto row = [](const char *name, const Sources &sources, int listed, const QStringList &expected) {
            QTest::newRow(name) << sources << listed << expected;
        };
        row("defined above in the same file", {{"a.txt", kFunction + kCaller}}, -1, {});
        row("defined below in the same file", {{"a.txt", kCaller + kFunction}}, -1, {"a.txt 2:2 TW222"});
        row("calls itself inside its own body",
            {{"a.txt", "function\tscript\tF_Loop\t{\n\tF_Loop();\n\treturn;\n}\n"}}, -1, {"a.txt 2:2 TW222"});
        row("calls itself, loaded before too",
            {{"a.txt", "function\tscript\tF_Loop\t{\n\treturn;\n}\n"
                       "function\tscript\tF_Loop\t{\n\tF_Loop();\n\treturn;\n}\n"}},
            -1, {});
        row("defined below, and in another file of unknown order", {{"a.txt", kCaller + kFunction}, {"b.txt", kFunction}},
            -1, {});
        row("in another file, no load order", {{"a.txt", kCaller}, {"b.txt", kFunction}}, -1, {});
        row("in an earlier file of the load order", {{"a.txt", kCaller, 1}, {"b.txt", kFunction, 0}}, 2, {});
        row("in a later file of the load order", {{"a.txt", kCaller, 0}, {"b.txt", kFunction, 1}}, 2,
            {"a.txt 2:2 TW222"});
        row("in a file the lists do not name", {{"a.txt", kCaller, 0}, {"b.txt", kFunction, -1}}, 2, {});
        row("caller not named by the lists", {{"a.txt", kCaller, -1}, {"b.txt", kFunction, 1}}, 2, {});
        row("later file and an earlier one", {{"a.txt", kFunction, 0}, {"b.txt", kCaller, 1}, {"c.txt", kFunction, 2}},
            3, {});
        row("defined nowhere", {{"a.txt", kCaller, 0}}, 1, {"a.txt 2:2 TW115"});
        row("called in an expression, defined below",
            {{"a.txt", "harbor01.tsg,1,2,0\tscript\tGuard\t56,{\n\t.@fee = F_Toll(2) + 1;\n\tend;\n}\n" + kFunction}},
            -1, {"a.txt 2:10 TW222"});
        row("a local function of the same name is no call by name",
            {{"a.txt", "harbor01.tsg,1,2,0\tscript\tGuard\t56,{\n\tfunction F_Toll;\n\tF_Toll(2);\n\tend;\n"
                       "function F_Toll {\n\treturn;\n}\n}\n" + kFunction}},
            -1, {});
    }
    void functionsByName_mustBeLoadedBeforeTheCaller() { check(); }

    void duplicates_needTheirSourceLoadedBefore_data()
    {
        addColumns();
        const auto row = [](const char *name, const Sources &sources, int listed, const QStringList &expected) {
            QTest::newRow(name) << sources << listed << expected;
        };
        row("source above", {{"a.txt", kFerry + kDuplicate}}, -1, {});
        row("source below", {{"a.txt", kDuplicate + kFerry}}, -1, {"a.txt 1:30 TW334"});
        row("source by its unique name", {{"a.txt", "harbor01.tsg,5,5,0\tscript\tOld Man::Ferryman\t56,{\n\tend;\n}\n"
                                                        + kDuplicate}},
            -1, {});
        row("source named only by its display name",
            {{"a.txt", "harbor01.tsg,5,5,0\tscript\tFerryman::ferry_1\t56,{\n\tend;\n}\n" + kDuplicate}}, 2, {});
        row("source a shop", {{"a.txt", "harbor01.tsg,5,5,0\tshop\tFerryman\t56,501:50\n" + kDuplicate}}, -1, {});
        row("source in an earlier file", {{"a.txt", kDuplicate, 1}, {"b.txt", kFerry, 0}}, 2, {});
        row("source in a later file", {{"a.txt", kDuplicate, 0}, {"b.txt", kFerry, 1}}, 2, {"a.txt 1:30 TW334"});
        row("source in a file of unknown order", {{"a.txt", kDuplicate, 0}, {"b.txt", kFerry, -1}}, 2, {});
        row("source nowhere, no server", {{"a.txt", kDuplicate}}, -1, {});
        row("source nowhere, files of the lists left out", {{"a.txt", kDuplicate, 0}}, 2, {});
        row("source nowhere, every listed file checked", {{"a.txt", kDuplicate, 0}, {"b.txt", kFunction, 1}}, 2,
            {"a.txt 1:30 TW334"});
        row("source a function", {{"a.txt", "function\tscript\tFerryman\t{\n\treturn;\n}\n" + kDuplicate, 0}}, 1,
            {"a.txt 4:30 TW334"});
    }
    void duplicates_needTheirSourceLoadedBefore() { check(); }

    void uniqueNames_clashWarnOnTheNpcLoadedLater_data()
    {
        addColumns();
        const auto row = [](const char *name, const Sources &sources, int listed, const QStringList &expected) {
            QTest::newRow(name) << sources << listed << expected;
        };
        row("same name twice in a file", {{"a.txt", kFerry + kFerry}}, -1, {"a.txt 4:27 TW333"});
        row("same unique name after ::",
            {{"a.txt", "harbor01.tsg,5,5,0\tscript\tOld Man::boat\t56,{\n\tend;\n}\n"
                       "harbor01.tsg,6,6,0\tscript\tYoung Man::boat\t56,{\n\tend;\n}\n"}},
            -1, {"a.txt 4:27 TW333"});
        row("same display name, other unique names",
            {{"a.txt", "harbor01.tsg,5,5,0\tscript\tFerryman::f1\t56,{\n\tend;\n}\n"
                       "harbor01.tsg,6,6,0\tscript\tFerryman::f2\t56,{\n\tend;\n}\n"}},
            -1, {});
        row("hidden parts after # differ", {{"a.txt", kFerry + kDuplicate}}, -1, {});
        row("a duplicate takes a name too", {{"a.txt", kFerry + kDuplicate + kDuplicate}}, -1, {"a.txt 5:40 TW333"});
        row("a warp takes a name", {{"a.txt", "harbor01.tsg,5,5,0\twarp\tFerryman\t1,1,hill_town.tsg,3,3\n" + kFerry}}, -1,
            {"a.txt 2:27 TW333"});
        row("functions and monsters are no NPC names",
            {{"a.txt", "function\tscript\tFerryman\t{\n\treturn;\n}\n"
                       "harbor01.tsg,0,0,0,0\tmonster\tFerryman\t1002,1,0,0\n" + kFerry}},
            -1, {});
        // A tree may hold two copies of a town of which the server loads one.
        row("across files of unknown order, none", {{"a.txt", kFerry}, {"b.txt", kFerry}}, -1, {});
        row("across files in the load order, the later", {{"a.txt", kFerry, 1}, {"b.txt", kFerry, 0}}, 2,
            {"a.txt 1:27 TW333"});
        row("same name for servers of other folders", {{"a.txt", kFerry, 0}, {"b.txt", kFerry, 1}}, -1, {});
    }
    void uniqueNames_clashWarnOnTheNpcLoadedLater() { check(); }

    void otherNpcsFunctions_mustBePublic_data()
    {
        addColumns();
        const auto row = [](const char *name, const Sources &sources, int listed, const QStringList &expected) {
            QTest::newRow(name) << sources << listed << expected;
        };
        const auto ferry = [](const QString &mark) {
            return QStringLiteral("harbor01.tsg,5,5,0\tscript\tFerry::Ferryman\t56,{\n\tend;\n%1function Fare {\n"
                                  "\treturn 300;\n}\n}\n")
                .arg(mark);
        };
        const QString byColons = QStringLiteral("harbor01.tsg,1,2,0\tscript\tGuard\t56,{\n"
                                                "\t.@fare = \"Ferryman\"::Fare(1);\n\t\"Ferryman\"::Fare;\n\tend;\n}\n");
        const QString byCommand = QStringLiteral("harbor01.tsg,1,2,0\tscript\tGuard\t56,{\n"
                                                 "\tcallfunctionofnpc \"Ferryman\",\"Fare\",1;\n"
                                                 "\t.@fare = callfunctionofnpc(\"Ferryman\",\"Fare\");\n\tend;\n}\n");
        row("unmarked, by ::", {{"a.txt", ferry("") + byColons}}, -1, {"a.txt 8:23 TW223", "a.txt 9:14 TW223"});
        row("private, by ::", {{"a.txt", ferry("private ") + byColons}}, -1, {"a.txt 8:23 TW223", "a.txt 9:14 TW223"});
        row("public, by ::", {{"a.txt", ferry("public ") + byColons}}, -1, {});
        row("unmarked, by callfunctionofnpc", {{"a.txt", ferry("") + byCommand}}, -1,
            {"a.txt 8:31 TW223", "a.txt 9:40 TW223"});
        row("public, by callfunctionofnpc", {{"a.txt", ferry("public ") + byCommand}}, -1, {});
        row("in another file, unmarked", {{"a.txt", byColons}, {"b.txt", ferry("")}}, -1,
            {"a.txt 2:23 TW223", "a.txt 3:14 TW223"});
        row("the NPC has no such function", {{"a.txt", kFerry + byColons}}, -1, {});
        row("no such NPC", {{"a.txt", byColons}}, -1, {});
        row("an NPC's name read at run time",
            {{"a.txt", ferry("") + "harbor01.tsg,1,2,0\tscript\tGuard\t56,{\n\t.@n$ = \"Ferryman\";\n"
                                   "\tcallfunctionofnpc .@n$,\"Fare\";\n\tend;\n}\n"}},
            -1, {});
    }
    void otherNpcsFunctions_mustBePublic() { check(); }

    // Older servers have none of these: they are judged for today's servers only.
    void target_olderServers_noFinding()
    {
        const Sources sources{{"a.txt", kDuplicate + kFerry + kFerry}};
        QCOMPARE(judged(sources, QStringLiteral("older")), QStringList());
        QCOMPARE(judged(sources, QStringLiteral("today")), (QStringList{"a.txt 1:30 TW334", "a.txt 5:27 TW333"}));
    }

    // Where some of the target's servers would load it, an error becomes a warning.
    void target_everyServer_warnsWhereOnlyTodaysRefuse()
    {
        const auto table = tableFor(QString());
        QVector<CheckReport::FileResult> files{
            CheckReport::checkBytes(QStringLiteral("a.txt"), (kDuplicate + kFerry).toUtf8(), table)};
        CheckReport::checkFunctionsAcross(files);
        const auto found = std::find_if(files.front().diagnostics.cbegin(), files.front().diagnostics.cend(),
                                        [](const Diagnostic &d) { return d.rule == Rule::DuplicateSourceNotLoaded; });
        QVERIFY(found != files.front().diagnostics.cend());
        QCOMPARE(found->severity, Diagnostic::Severity::Warning);
    }

    void directive_silencesTheFindingsAcrossFiles()
    {
        const Sources sources{
            {"a.txt", "// talewick-check disable=TW333\n" + kFerry + kFerry},
            {"b.txt", "harbor01.tsg,1,2,0\tscript\tGuard\t56,{\n\t// talewick-check disable=TW222\n\tF_Toll(2);\n"
                      "\tF_Toll(3);\n\tend;\n}\n" + kFunction},
        };
        QCOMPARE(judged(sources), (QStringList{"b.txt 4:2 TW222"}));
    }

    // The clash names the NPC that keeps the name, and points at it in the same file.
    void uniqueName_pointsAtTheNpcThatKeepsIt()
    {
        QVector<CheckReport::FileResult> files{
            CheckReport::checkBytes(QStringLiteral("a.txt"), (kFerry + kFerry).toUtf8(), tableFor(QStringLiteral("today")))};
        CheckReport::checkFunctionsAcross(files);
        const Diagnostics &found = files.front().diagnostics;
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.front().related.size(), 1);
        QCOMPARE(found.front().related.front().line, 0);
        QVERIFY(found.front().message.contains(QStringLiteral("1行目")));
    }

    // A clean file keeps no lines, but a name of characters beyond two bytes found
    // taken still ends at its last character, in characters.
    void uniqueName_ofWideCharacters_endsAtItsLastCharacter()
    {
        QTemporaryDir tree;
        const QByteArray npc = QStringLiteral("harbor01.tsg,5,5,0\tscript\t\U0001F6A2::Ferry\t56,{\n\tend;\n}\n").toUtf8();
        for (const char *name : {"a.txt", "b.txt"}) {
            QFile file(tree.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(npc) == npc.size());
        }
        auto table = std::make_shared<Commands::Table>(*tableFor(QStringLiteral("today")));
        const QVector<CheckReport::FileResult> checked =
            CheckAll::check({tree.path()}, table, false, *ScriptEncoding::named(QStringLiteral("UTF-8")));
        QVector<CheckReport::FileResult> files = checked;
        // A clash across files counts only in a known load order: a.txt, then b.txt.
        for (CheckReport::FileResult &file : files)
            file.loadPosition = file.fileName.endsWith(QLatin1String("b.txt")) ? 1 : 0;
        CheckReport::checkFunctionsAcross(files);
        for (const CheckReport::FileResult &file : std::as_const(files)) {
            const bool later = file.fileName.endsWith(QLatin1String("b.txt"));
            QCOMPARE(file.diagnostics.size(), later ? 1 : 0);
            if (!later)
                continue;
            const Diagnostic &d = file.diagnostics.front();
            const ReportPlace::Span span = ReportPlace::of(d.line, d.column, d.length, file.lines.value(d.line));
            QCOMPARE(span.column, 27);
            QCOMPARE(span.endColumn, 35);
        }
    }
};

QTEST_GUILESS_MAIN(LoadOrderRulesTest)
#include "test_load_order_rules.moc"
