// Hand-written scripts as operators write them: every one loads on the server, so
// the checker must find no error in it; and mutants of them, each with one mistake
// seeded, must be reported on the mutated line with the mistake's code.
#include "check_tool/check_report.h"
#include "checker/script_check.h"
#include "checker_test_support.h"
#include "common/code_page.h"

#include <QRegularExpression>
#include <QTest>

namespace {

struct Mutant
{
    QStringList lines;
    int line = 0; // from 0: where the mistake must be reported
    QString code;
};

using Mutation = std::function<bool(const QStringList &, int, Mutant &)>;

bool startsStatement(const QString &line)
{
    static const QRegularExpression start(QStringLiteral("^\\s*([A-Za-z_][A-Za-z0-9_]*\\s*:|\\}|[a-z]+[ ;])"));
    return start.match(line).hasMatch();
}

// The next line that holds more than blanks.
int nextCodeLine(const QStringList &lines, int after)
{
    for (int i = after + 1; i < lines.size(); ++i) {
        if (!lines.at(i).trimmed().isEmpty())
            return i;
    }
    return -1;
}

// One statement on its own line, nothing else: "\tmes \"...\";"
const QRegularExpression
    kSimpleStatement(QStringLiteral("^\\s*(mes|close|next|end|set|warp|heal|getitem|delitem)\\b[^;{}/]*;\\s*$"));

const QVector<QPair<QString, Mutation>> kMutations = {
    {"drop a semicolon",
     [](const QStringList &lines, int i, Mutant &m) {
         const int next = nextCodeLine(lines, i);
         if (!kSimpleStatement.match(lines.at(i)).hasMatch() || next < 0 || !startsStatement(lines.at(next)))
             return false;
         m.lines[i] = lines.at(i).trimmed().chopped(1).prepend(u'\t');
         m.code = "TW102";
         return true;
     }},
    {"drop a closing quote",
     [](const QStringList &lines, int i, Mutant &m) {
         static const QRegularExpression mes(QStringLiteral("^\\s*mes \"[^\"\\\\]*\";\\s*$"));
         if (!mes.match(lines.at(i)).hasMatch())
             return false;
         m.lines[i] = lines.at(i).trimmed().remove(lines.at(i).trimmed().size() - 2, 1);
         m.code = "TW101";
         return true;
     }},
    {"misspell a command",
     [](const QStringList &lines, int i, Mutant &m) {
         static const QRegularExpression mes(QStringLiteral("^(\\s*)mes "));
         const QRegularExpressionMatch match = mes.match(lines.at(i));
         if (!match.hasMatch())
             return false;
         m.lines[i] = match.captured(1) + "mse " + lines.at(i).mid(match.capturedEnd());
         m.code = "TW103";
         return true;
     }},
    {"point a menu at a missing label",
     [](const QStringList &lines, int i, Mutant &m) {
         static const QRegularExpression menu(QStringLiteral("^\\s*menu .*,(L_[A-Za-z0-9_]+)"));
         const QRegularExpressionMatch match = menu.match(lines.at(i));
         if (!match.hasMatch())
             return false;
         m.lines[i] =
             lines.at(i).left(match.capturedStart(1)) + "L_NoSuchPlace" + lines.at(i).mid(match.capturedEnd(1));
         m.code = "TW206";
         return true;
     }},
    {"define a label twice",
     [](const QStringList &lines, int i, Mutant &m) {
         static const QRegularExpression label(QStringLiteral("^\\s*(L_[A-Za-z0-9_]+):\\s*$"));
         if (!label.match(lines.at(i)).hasMatch())
             return false;
         m.lines.insert(i + 1, lines.at(i));
         m.line = i + 1;
         m.code = "TW208";
         return true;
     }},
    {"drop a final brace",
     [](const QStringList &lines, int i, Mutant &m) {
         if (lines.at(i) != u"}")
             return false;
         // The body's definition line: the nearest one above that opens a body.
         static const QRegularExpression opens(QStringLiteral("^\\S.*\\t(script|Script)\\t.*\\{\\s*$"));
         int definition = i - 1;
         while (definition >= 0 && !opens.match(lines.at(definition)).hasMatch())
             --definition;
         if (definition < 0)
             return false;
         m.lines.removeAt(i);
         m.line = definition;
         m.code = "TW201";
         return true;
     }},
    {"drop the close that ends a conversation",
     [](const QStringList &lines, int i, Mutant &m) {
         static const QRegularExpression mes(QStringLiteral("^\\s*mes\\b"));
         if (lines.at(i).trimmed() != u"close;" || i == 0 || !mes.match(lines.at(i - 1)).hasMatch() ||
             i + 1 >= lines.size() || lines.at(i + 1) != u"}")
             return false;
         m.lines.removeAt(i); // the body's "}" comes up to this line, and the player is stuck there
         m.code = "TW501";
         return true;
     }},
    {"turn the close after a message into end",
     [](const QStringList &lines, int i, Mutant &m) {
         static const QRegularExpression mes(QStringLiteral("^\\s*mes\\b"));
         if (lines.at(i).trimmed() != u"close;" || i == 0 || !mes.match(lines.at(i - 1)).hasMatch())
             return false;
         m.lines[i] = QStringLiteral("\tend;");
         m.code = "TW501";
         return true;
     }},
    {"misspell a scope variable that is read",
     [](const QStringList &lines, int i, Mutant &m) {
         static const QRegularExpression read(QStringLiteral("^\\s*mes\\b.*(\\.@[A-Za-z_][A-Za-z0-9_]*)"));
         const QRegularExpressionMatch match = read.match(lines.at(i));
         if (!match.hasMatch())
             return false;
         m.lines[i] = lines.at(i).left(match.capturedEnd(1)) + "_x" + lines.at(i).mid(match.capturedEnd(1));
         m.code = "TW506";
         return true;
     }},
    {"drop a closing parenthesis",
     [](const QStringList &lines, int i, Mutant &m) {
         static const QRegularExpression condition(QStringLiteral("^\\s*if \\((.*)\\) (goto|close|mes|set|end)\\b"));
         const QRegularExpressionMatch match = condition.match(lines.at(i));
         if (!match.hasMatch())
             return false;
         m.lines[i] = lines.at(i).left(match.capturedEnd(1)) + lines.at(i).mid(match.capturedEnd(1) + 1);
         m.code = "TW107";
         return true;
     }},
};

} // namespace

class CheckerCorpusTest : public QObject
{
    Q_OBJECT

private slots:
    void validScript_givesNoError_data()
    {
        QTest::addColumn<QString>("path");
        for (const QString &path : validScripts())
            QTest::newRow(qPrintable(QFileInfo(path).fileName())) << path;
    }
    void validScript_givesNoError()
    {
        QFETCH(QString, path);
        const QStringList lines = linesOf(path);
        QVERIFY(lines.size() > 20);
        ScriptCheck check;
        check.replaceLines(0, 0, lines);
        check.updateFlow();
        QCOMPARE(describedErrors(check.allDiagnostics()), QStringList());
        // The conversation rules find nothing either: what they found was mended.
        QStringList flow;
        for (const Diagnostic &d : check.allDiagnostics()) {
            if (d.code.startsWith(u"TW5"))
                flow << described(d);
        }
        QCOMPARE(flow, QStringList());
    }

    void validTodayScript_givesNoErrorForToday_data()
    {
        QTest::addColumn<QString>("path");
        for (const QString &path : validTodayScripts())
            QTest::newRow(qPrintable(QFileInfo(path).fileName())) << path;
    }
    void validTodayScript_givesNoErrorForToday()
    {
        QFETCH(QString, path);
        auto today = std::make_shared<Commands::Table>(*Commands::Table::builtIn());
        today->setTarget(*Target::fromName(u"today"));
        ScriptCheck check(today);
        check.replaceLines(0, 0, linesOf(path));
        check.updateFlow();
        QCOMPARE(describedErrors(check.allDiagnostics()), QStringList());
        // No target: what only older servers refuse is a warning, never an error.
        ScriptCheck anyServer;
        anyServer.replaceLines(0, 0, linesOf(path));
        QCOMPARE(describedErrors(anyServer.allDiagnostics()), QStringList());
    }

    void validScripts_areManyAndLong()
    {
        int total = 0;
        const QStringList paths = validScripts();
        for (const QString &path : paths)
            total += int(linesOf(path).size());
        QVERIFY2(paths.size() >= 25, qPrintable(QString::number(paths.size())));
        QVERIFY2(total >= 1500, qPrintable(QString::number(total)));
    }

    // Every callfunc of the corpus reaches a function that one of its files defines,
    // and every player variable read is set by one of them.
    void validScripts_checkedTogether_callOnlyDefinedFunctionsAndReadOnlySetVariables()
    {
        QVector<CheckReport::FileResult> files;
        for (const QString &path : validScripts())
            files.append(CheckReport::checkFile(path, Commands::Table::builtIn()));
        CheckReport::checkFunctionsAcross(files);
        CheckReport::checkPlayerVariablesAcross(files);
        for (const CheckReport::FileResult &file : std::as_const(files)) {
            for (const Diagnostic &d : file.diagnostics)
                QVERIFY2(d.code != u"TW212" && d.code != u"TW506", qPrintable(file.fileName + ": " + described(d)));
        }
    }

    void seededMistake_isReportedOnItsLineWithItsCode_data()
    {
        QTest::addColumn<int>("mutation");
        for (int i = 0; i < kMutations.size(); ++i)
            QTest::newRow(qPrintable(kMutations.at(i).first)) << i;
    }
    void seededMistake_isReportedOnItsLineWithItsCode()
    {
        QFETCH(int, mutation);
        const Mutation &mutate = kMutations.at(mutation).second;
        int mutants = 0;
        for (const QString &path : validScripts()) {
            const QStringList lines = linesOf(path);
            for (int i = 0; i < lines.size(); ++i) {
                Mutant mutant{lines, i, {}};
                if (!mutate(lines, i, mutant))
                    continue;
                ++mutants;
                ScriptCheck check;
                check.replaceLines(0, 0, mutant.lines);
                check.updateFlow();
                QStringList codes;
                for (const Diagnostic &d : check.diagnostics(mutant.line))
                    codes << d.code;
                if (!codes.contains(mutant.code)) {
                    QFAIL(qPrintable(
                        QStringLiteral("%1 line %2: %3 expected, found [%4]; all: %5")
                            .arg(QFileInfo(path).fileName())
                            .arg(mutant.line + 1)
                            .arg(mutant.code, codes.join(u' '), described(check.allDiagnostics()).join(u' '))));
                }
            }
        }
        QVERIFY2(mutants >= 5, qPrintable(QStringLiteral("only %1 mutants").arg(mutants)));
        qInfo("%d mutants", mutants);
    }
};

QTEST_GUILESS_MAIN(CheckerCorpusTest)
#include "test_checker_corpus.moc"
