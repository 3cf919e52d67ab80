// The desktop editor checks a script for the servers its folder's project file
// names, shows its findings as the file's disable and severity say, and follows
// the file of the folder it last opened or saved in.
#include "../checker/server_folder_sample.h"
#include "app/guarded_application.h"
#include "main_window/script_highlighter.h"
#include "support/form_driver.h"

#include <QFile>
#include <QTextBlock>
#include <QTextLayout>

namespace {

// Two arguments to mes: a warning for every server, an error for the family
// that matches words exactly, fine for the other one.
const QByteArray kScript = "m.tsg,1,1,0\tscript\tA\t1,{\r\n\tmes \"a\",\"b\";\r\n\tclose;\r\n}\r\n";

bool write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class EditorProjectFileTest : public QObject, private FormDriver
{
    Q_OBJECT

private:
    // "TW104 error" for each diagnostic of the editor's script.
    QStringList findings() const
    {
        QStringList found;
        for (const Diagnostic &diagnostic : form->highlighter().allDiagnostics())
            found << diagnostic.code + (diagnostic.severity == Diagnostic::Severity::Error
                                            ? QStringLiteral(" error")
                                            : QStringLiteral(" warning"));
        return found;
    }

    // Whether the editor draws a wavy line anywhere on `line` (from 0).
    bool waveOn(int line) const
    {
        const QTextBlock block = memo->document()->findBlockByNumber(line);
        const QList<QTextLayout::FormatRange> ranges = block.layout()->formats();
        return std::any_of(ranges.cbegin(), ranges.cend(), [](const QTextLayout::FormatRange &range) {
            return range.format.underlineStyle() == QTextCharFormat::WaveUnderline;
        });
    }

    void open(const QString &folder)
    {
        const QString path = QDir(folder).absoluteFilePath(QStringLiteral("a.txt"));
        QVERIFY(write(path, kScript));
        form->Memo1DragDrop(path);
        QTRY_COMPARE(memo->document()->blockCount(), 5);
    }

private slots:
    void init()
    {
        enterScratchFolder({QStringLiteral("npc")});
        QVERIFY(write(QStringLiteral("strict/talewick-check.ini"), "target = today-strict\n"));
        QVERIFY(write(QStringLiteral("strict/anycase/talewick-check.ini"), "target = today-anycase\n"));
        openForm();
    }
    void cleanup()
    {
        form->scriptBuffer().MarkSaved();
        closeForm();
        leaveScratchFolder();
    }

    void open_followsTheProjectFileOfTheScriptsFolder_data()
    {
        QTest::addColumn<QStringList>("folders");  // opened in turn
        QTest::addColumn<QStringList>("findings"); // after the last
        QTest::newRow("no project file") << QStringList{"npc"} << QStringList{"TW104 warning"};
        QTest::newRow("today-strict") << QStringList{"strict"} << QStringList{"TW104 error"};
        QTest::newRow("the nearest file") << QStringList{"strict/anycase"} << QStringList{};
        QTest::newRow("back to a folder without one") << QStringList{"strict", "npc"} << QStringList{"TW104 warning"};
        QTest::newRow("from one file to another")
            << QStringList{"strict/anycase", "strict"} << QStringList{"TW104 error"};
    }
    void open_followsTheProjectFileOfTheScriptsFolder()
    {
        QFETCH(QStringList, folders);
        for (const QString &folder : folders) {
            open(folder);
            form->scriptBuffer().MarkSaved();
        }
        QTEST(findings(), "findings");
    }

    // The project file's disable and severity decide what the editor shows: the
    // list of findings, the wavy lines and the tooltips read the same ones.
    void open_projectFileDisableAndSeverity_decideWhatIsShown_data()
    {
        QTest::addColumn<QByteArray>("ini");       // policy/talewick-check.ini
        QTest::addColumn<QStringList>("folders");  // opened in turn
        QTest::addColumn<QStringList>("findings"); // after the last
        QTest::newRow("disabled") << QByteArray("disable = TW104\n") << QStringList{"policy"} << QStringList{};
        QTest::newRow("held an error") << QByteArray("severity = TW104=error\n") << QStringList{"policy"}
                                       << QStringList{"TW104 error"};
        QTest::newRow("off, any case") << QByteArray("severity = tw104=Off\n") << QStringList{"policy"}
                                       << QStringList{};
        QTest::newRow("a warning where the target makes it an error")
            << QByteArray("target = today-strict\nseverity = TW104=warning\n") << QStringList{"policy"}
            << QStringList{"TW104 warning"};
        QTest::newRow("disabled over a severity")
            << QByteArray("disable = TW104\nseverity = TW104=error\n") << QStringList{"policy"} << QStringList{};
        QTest::newRow("another code changes nothing")
            << QByteArray("disable = TW210\nseverity = TW212=error\n") << QStringList{"policy"}
            << QStringList{"TW104 warning"};
        QTest::newRow("from a folder without one, same commands")
            << QByteArray("disable = TW104\n") << QStringList{"npc", "policy"} << QStringList{};
        QTest::newRow("back to a folder without one")
            << QByteArray("disable = TW104\n") << QStringList{"policy", "npc"} << QStringList{"TW104 warning"};
        QTest::newRow("to a folder that holds it an error")
            << QByteArray("disable = TW104\n") << QStringList{"policy", "strict"} << QStringList{"TW104 error"};
    }
    void open_projectFileDisableAndSeverity_decideWhatIsShown()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QStringList, folders);
        QFETCH(QStringList, findings);
        QVERIFY(write(QStringLiteral("policy/talewick-check.ini"), ini));
        for (const QString &folder : folders) {
            open(folder);
            form->scriptBuffer().MarkSaved();
        }
        QCOMPARE(this->findings(), findings);
        QStringList onTheLine;
        for (const Diagnostic &diagnostic : form->highlighter().diagnostics(1))
            onTheLine << diagnostic.code;
        QCOMPARE(onTheLine.size(), findings.size());
        QCOMPARE(waveOn(1), !findings.isEmpty());
    }

    // A project file that names the server's folder: the editor reads the folder
    // once and judges the script's names against it (m.tsg is no map of its list;
    // its own command source takes any number of texts after mes).
    void open_projectFileNamingAServerFolder_judgesByItsFacts()
    {
        QVERIFY(SampleServer::write(QDir::current().absoluteFilePath(QStringLiteral("server"))));
        QVERIFY(write(QStringLiteral("served/talewick-check.ini"), "server = ../server\n"));
        open(QStringLiteral("served"));
        QCOMPARE(findings(), QStringList{"TW601 error"});
    }
};

int main(int argc, char *argv[])
{
    GuardedApplication application(argc, argv);
    EditorProjectFileTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_editor_project_file.moc"
