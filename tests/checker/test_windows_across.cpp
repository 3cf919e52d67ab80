// What a function of one file does to the conversation window, applied where
// another file checked with it calls it: talewick-check's pass across files, and
// the rounds that settle chains and leave circles unknown.
#include "check_tool/check_report.h"
#include "check_tool/windows_across.h"
#include "checker/window_across.h"
#include "checker_test_support.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

namespace {

// A function of the file: a function<TAB>script line, its body, its closing brace.
QString function(const QString &name, const QString &body)
{
    return QStringLiteral("function\tscript\t%1\t{\n%2\n}\n").arg(name, body);
}

struct File
{
    QString name;
    QString text;
    QString serverFolder = {};
};

// The findings of the conversation's flow (TW5xx) in each file, by file name,
// after the files were checked together.
QMap<QString, QStringList> flowFindings(const QVector<File> &files)
{
    QVector<CheckReport::FileResult> results;
    for (const File &file : files) {
        results.append(CheckReport::checkBytes(file.name, file.text.toUtf8(), Commands::Table::builtIn(),
                                               *ScriptEncoding::named(QStringLiteral("UTF-8"))));
        results.back().serverFolder = file.serverFolder;
    }
    CheckReport::checkFunctionsAcross(results);
    QMap<QString, QStringList> found;
    for (const CheckReport::FileResult &result : std::as_const(results)) {
        QStringList &codes = found[result.fileName];
        for (const QString &line : described(result.diagnostics)) {
            if (line.contains(QLatin1String(" TW5")))
                codes.append(line);
        }
        // The check kept for the pass across files is let go once it is done.
        if (result.windowCheck)
            codes.append(QStringLiteral("kept"));
    }
    return found;
}

const QString kShowsAndReturns = QStringLiteral("\tmes \"Hello.\";\n\treturn;");
const QString kCloses = QStringLiteral("\tmes \"Hello.\";\n\tclose;");
const QString kClosesThenReturns = QStringLiteral("\tmes \"Hello.\";\n\tclose2;\n\treturn;");
// An NPC that calls F_Hello and ends: TW501 at its end (line 3) when F_Hello leaves the window open.
const QString kCaller = npc(QStringLiteral("\tcallfunc \"F_Hello\";\n\tend;"));
const QString kCallerByName = npc(QStringLiteral("\tF_Hello;\n\tend;"));

// Judges the checks' flow, then shares what their functions do and judges the
// calls again, as the language server does once typing pauses.
void share(std::vector<std::unique_ptr<ScriptCheck>> &checks)
{
    QVector<WindowAcross::FileWindows> windows;
    for (auto &check : checks) {
        check->updateFlow();
        windows.append(check->functionWindows());
    }
    const auto table = std::make_shared<const WindowAcross::Table>(
        WindowAcross::resolve(windows, [&](int file, const WindowAcross::Table &now) {
            checks[size_t(file)]->setOutsideWindows(std::make_shared<const WindowAcross::Table>(now));
            return std::optional<WindowAcross::FileWindows>(checks[size_t(file)]->functionWindows());
        }));
    for (auto &check : checks) {
        check->setOutsideWindows(table);
        check->updateFlow();
    }
}

} // namespace

Q_DECLARE_METATYPE(QVector<File>)

class WindowsAcrossTest : public QObject
{
    Q_OBJECT

private slots:
    void callOfAnotherFilesFunction_appliesWhatItDoes_data()
    {
        QTest::addColumn<QVector<File>>("files");
        QTest::addColumn<QStringList>("callerFindings"); // of npc.txt
        const QStringList stuck{"3:2 TW501"};
        QTest::newRow("callee shows a message and returns: the end leaves the player stuck")
            << QVector<File>{{"funcs.txt", function("F_Hello", kShowsAndReturns)}, {"npc.txt", kCaller}} << stuck;
        QTest::newRow("called by its name")
            << QVector<File>{{"funcs.txt", function("F_Hello", kShowsAndReturns)}, {"npc.txt", kCallerByName}}
            << stuck;
        QTest::newRow("callee closes") << QVector<File>{{"funcs.txt", function("F_Hello", kCloses)}, {"npc.txt", kCaller}}
                                       << QStringList();
        QTest::newRow("callee closes with close2 and returns")
            << QVector<File>{{"funcs.txt", function("F_Hello", kClosesThenReturns)}, {"npc.txt", kCaller}}
            << QStringList();
        QTest::newRow("callee in a file not checked") << QVector<File>{{"npc.txt", kCaller}} << QStringList();
        QTest::newRow("callee in another server's folder")
            << QVector<File>{{"funcs.txt", function("F_Hello", kShowsAndReturns), "/srv/a"}, {"npc.txt", kCaller, "/srv/b"}}
            << QStringList();
        QTest::newRow("a chain across three files")
            << QVector<File>{{"a.txt", function("F_Hello", "\tcallfunc \"F_Inner\";\n\treturn;")},
                             {"b.txt", function("F_Inner", "\tcallfunc \"F_Deep\";\n\treturn;")},
                             {"c.txt", function("F_Deep", kShowsAndReturns)},
                             {"npc.txt", kCaller}}
            << stuck;
        QTest::newRow("a chain through a function of the callee's own file")
            << QVector<File>{{"a.txt", function("F_Hello", "\tcallfunc \"F_Mid\";\n\treturn;") +
                                           function("F_Mid", "\tcallfunc \"F_Deep\";\n\treturn;")},
                             {"b.txt", function("F_Deep", kShowsAndReturns)},
                             {"npc.txt", kCaller}}
            << stuck;
        QTest::newRow("a chain whose last link closes")
            << QVector<File>{{"a.txt", function("F_Hello", "\tcallfunc \"F_Inner\";\n\treturn;")},
                             {"b.txt", function("F_Inner", kCloses)},
                             {"npc.txt", kCaller}}
            << QStringList();
        QTest::newRow("a circle of calls across files is unknown")
            << QVector<File>{{"a.txt", function("F_Hello", "\tmes \"a\";\n\tcallfunc \"F_Other\";\n\treturn;")},
                             {"b.txt", function("F_Other", "\tcallfunc \"F_Hello\";\n\treturn;")},
                             {"npc.txt", kCaller}}
            << QStringList();
        QTest::newRow("a function leaning on a circle is unknown")
            << QVector<File>{{"a.txt", function("F_Hello", "\tmes \"a\";\n\tcallfunc \"F_Loop\";\n\treturn;")},
                             {"b.txt", function("F_Loop", "\tcallfunc \"F_Back\";\n\treturn;")},
                             {"c.txt", function("F_Back", "\tcallfunc \"F_Loop\";\n\treturn;")},
                             {"npc.txt", kCaller}}
            << QStringList();
        QTest::newRow("two files define it alike")
            << QVector<File>{{"a.txt", function("F_Hello", kShowsAndReturns)},
                             {"b.txt", function("F_Hello", kShowsAndReturns)},
                             {"npc.txt", kCaller}}
            << stuck;
        QTest::newRow("two files define it otherwise: unknown")
            << QVector<File>{{"a.txt", function("F_Hello", kShowsAndReturns)},
                             {"b.txt", function("F_Hello", kCloses)},
                             {"npc.txt", kCaller}}
            << QStringList();
        QTest::newRow("the caller's own function wins")
            << QVector<File>{{"a.txt", function("F_Hello", kShowsAndReturns)},
                             {"npc.txt", function("F_Hello", kCloses) + kCaller}}
            << QStringList();
    }
    void callOfAnotherFilesFunction_appliesWhatItDoes()
    {
        QFETCH(QVector<File>, files);
        QFETCH(QStringList, callerFindings);
        QMap<QString, QStringList> found = flowFindings(files);
        QCOMPARE(found.value(QStringLiteral("npc.txt")), callerFindings);
        // The order files come in decides nothing.
        std::reverse(files.begin(), files.end());
        QCOMPARE(flowFindings(files), found);
    }

    // A function called from another file gives its callers there what a call in its
    // own file gives: the caller's findings are those of one file holding both.
    void callAcrossFiles_findsWhatOneFileHoldingBothFinds_data()
    {
        QTest::addColumn<QString>("callee");
        QTest::addColumn<QString>("callerBody");
        QTest::newRow("menu branch left open")
            << kShowsAndReturns << QStringLiteral("\tmes \"Hi\";\n\tnext;\n\tif (select(\"a:b\") == 1) {\n\t\tcallfunc "
                                                  "\"F_Hello\";\n\t\tend;\n\t}\n\tclose;");
        QTest::newRow("in a condition") << QStringLiteral("\tmes \"Ask\";\n\treturn select(\"y:n\");")
                                        << QStringLiteral("\tif (callfunc(\"F_Hello\") == 1)\n\t\tclose;\n\tend;");
        QTest::newRow("ends the script") << QStringLiteral("\tmes \"x\";\n\tclose;")
                                         << QStringLiteral("\tcallfunc \"F_Hello\";\n\tmes \"never\";\n\tend;");
        QTest::newRow("a close after a bare choice")
            << QStringLiteral("\tselect(\"a:b\");\n\treturn;") << QStringLiteral("\tcallfunc \"F_Hello\";\n\tclose;");
    }
    void callAcrossFiles_findsWhatOneFileHoldingBothFinds()
    {
        QFETCH(QString, callee);
        QFETCH(QString, callerBody);
        const QString functions = function("F_Hello", callee);
        const QString caller = npc(callerBody);
        const QMap<QString, QStringList> apart = flowFindings({{"funcs.txt", functions}, {"npc.txt", caller}});
        const QStringList together = flowFindings({{"both.txt", functions + caller}}).value("both.txt");
        const int shift = int(functions.count(u'\n'));
        QStringList shifted;
        for (const QString &finding : apart.value("npc.txt")) {
            const int colon = int(finding.indexOf(u':'));
            shifted.append(QString::number(finding.left(colon).toInt() + shift) + finding.mid(colon));
        }
        QCOMPARE(shifted, together);
    }

    // A caller whose check is too long to keep is checked afresh with the table: the
    // same findings, its own besides.
    void callerPastTheKeptLines_isCheckedAfreshAlike()
    {
        QString longCaller = npc(QStringLiteral("\tcallfunc \"F_Hello\";\n\tend;\n\tmes \"never\";"));
        longCaller += QStringLiteral("\n// a comment").repeated(WindowsAcross::kKeptLines);
        longCaller += u'\n' + npc(QStringLiteral("\tF_Hello;\n\tend;"));
        const QMap<QString, QStringList> found =
            flowFindings({{"funcs.txt", function("F_Hello", kShowsAndReturns)}, {"npc.txt", longCaller}});
        const QString secondEnd = QString::number(WindowsAcross::kKeptLines + 5 + 3);
        QCOMPARE(found.value("npc.txt"), (QStringList{"3:2 TW501", "4:2 TW504", secondEnd + ":2 TW501"}));
    }

    // Random line edits in the functions' file, each followed by sharing the table
    // again: both files' findings are those of two fresh checks shared alike.
    void randomEdits_findingsAsFreshChecksOfBoth_data()
    {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed : {11u, 12u, 13u, 14u})
            QTest::addRow("seed %u", seed) << seed;
    }
    void randomEdits_findingsAsFreshChecksOfBoth()
    {
        static const QStringList kLines{
            "\tmes \"a\";", "\tnext;", "\tclose;", "\tclose2;", "\treturn;", "\tend;", "\tselect(\"x:y\");",
            "\tcallfunc \"F_Back\";", "\tcallfunc \"F_Two\";", "\tif (rand(2)) return;", "}",
            "function\tscript\tF_Two\t{", "function\tscript\tF_Hello\t{", "\tcallfunc \"F_Hello\";"};
        const QStringList callers = npc(QStringLiteral("\tcallfunc \"F_Hello\";\n\tend;\nL_B:\n\tF_Two;\n"
                                                       "\tmes \"b\";\n\tend;"))
                                        .split(u'\n') +
                                    function("F_Back", "\tcallfunc \"F_Two\";\n\treturn;").split(u'\n');
        QFETCH(quint32, seed);
        QRandomGenerator random(seed);
        QStringList functions = function("F_Hello", kShowsAndReturns).split(u'\n');
        std::vector<std::unique_ptr<ScriptCheck>> checks;
        checks.push_back(std::make_unique<ScriptCheck>());
        checks.push_back(std::make_unique<ScriptCheck>());
        checks[0]->replaceLines(0, 0, functions);
        checks[1]->replaceLines(0, 0, callers);
        share(checks);
        for (int step = 0; step < 120; ++step) {
            const int at = int(random.bounded(functions.size() + 1));
            const int removed = std::min(int(random.bounded(2)), int(functions.size()) - at);
            const QStringList added{kLines.at(int(random.bounded(kLines.size())))};
            for (int i = 0; i < removed; ++i)
                functions.removeAt(at);
            for (int i = 0; i < added.size(); ++i)
                functions.insert(at + i, added.at(i));
            checks[0]->replaceLines(at, removed, added);
            share(checks);
            std::vector<std::unique_ptr<ScriptCheck>> fresh;
            fresh.push_back(std::make_unique<ScriptCheck>());
            fresh.push_back(std::make_unique<ScriptCheck>());
            fresh[0]->replaceLines(0, 0, functions);
            fresh[1]->replaceLines(0, 0, callers);
            share(fresh);
            for (size_t file = 0; file < 2; ++file) {
                if (described(checks[file]->allDiagnostics()) != described(fresh[file]->allDiagnostics()))
                    QFAIL(qPrintable(QStringLiteral("step %1, file %2\n%3\n--- incremental\n%4\n--- fresh\n%5")
                                         .arg(step)
                                         .arg(file)
                                         .arg(functions.join(u'\n'),
                                              described(checks[file]->allDiagnostics()).join(u' '),
                                              described(fresh[file]->allDiagnostics()).join(u' '))));
            }
        }
    }

    // Each file is asked again at most once a round, and a chain takes a round a link.
    void resolve_chainAcrossFiles_asksEachFileAgainOnce()
    {
        const auto leaning = [](const QString &on) {
            WindowAcross::FunctionWindow window{WindowSummary{}, {}};
            if (!on.isEmpty())
                window.leanedOn.insert(on, std::nullopt);
            return window;
        };
        QVector<WindowAcross::FileWindows> files{{{"f_a", leaning("f_b")}}, {{"f_b", leaning("f_c")}},
                                                 {{"f_c", leaning({})}}};
        WindowSummary shown;
        shown.exits.fill(quint8(2));
        files[2]["f_c"].summary = shown;
        QVector<int> asked;
        const WindowAcross::Table table =
            WindowAcross::resolve(files, [&](int file, const WindowAcross::Table &now) {
                asked.append(file);
                WindowAcross::FileWindows again = files.at(file);
                for (auto function = again.begin(); function != again.end(); ++function) {
                    for (auto callee = function->leanedOn.begin(); callee != function->leanedOn.end(); ++callee) {
                        *callee = now.contains(callee.key()) ? std::optional<WindowSummary>(now.value(callee.key()))
                                                             : std::nullopt;
                        if (*callee)
                            function->summary = **callee; // passes on what its callee does
                    }
                }
                return std::optional<WindowAcross::FileWindows>(again);
            });
        QCOMPARE(asked, (QVector<int>{1, 0}));
        QCOMPARE(table.size(), 3);
        QCOMPARE(table.value("f_a"), shown);
    }

    void resolve_circleAndFileNotAskedAgain_stayUnknown()
    {
        WindowAcross::FunctionWindow a{WindowSummary{}, {{"f_b", std::nullopt}}};
        WindowAcross::FunctionWindow b{WindowSummary{}, {{"f_a", std::nullopt}}};
        WindowAcross::FunctionWindow c{WindowSummary{}, {{"f_d", std::nullopt}}};
        WindowAcross::FunctionWindow d{WindowSummary{}, {}};
        d.summary.exits.fill(quint8(4));
        const WindowAcross::Table table = WindowAcross::resolve(
            {{{"f_a", a}}, {{"f_b", b}}, {{"f_c", c}}, {{"f_d", d}}},
            [](int, const WindowAcross::Table &) { return std::optional<WindowAcross::FileWindows>(); });
        QCOMPARE(table.keys(), QStringList{"f_d"});
    }
};

QTEST_GUILESS_MAIN(WindowsAcrossTest)
#include "test_windows_across.moc"
