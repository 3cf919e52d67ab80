// The editor's view of the other scripts in the edited script's folder: what
// their functions do to the conversation window, read once and followed as the
// files change, and the edited script's calls judged with it.
#include "checker/window_rules.h"
#include "main_window/folder_windows.h"
#include "main_window/script_highlighter.h"

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

void write(const QString &path, const QByteArray &text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QByteArray(text).replace("\n", "\r\n"));
}

QByteArray function(const QByteArray &name, const QByteArray &body)
{
    return "function\tscript\t" + name + "\t{\n" + body + "\n}\n";
}

const QByteArray kShows = "\tmes \"Hello.\";\n\treturn;";
const QByteArray kCloses = "\tmes \"Hello.\";\n\tclose;";

// What a function that shows a message and returns does, worked out as one file would.
WindowSummary summaryOfShowing()
{
    QTemporaryDir folder;
    write(folder.filePath("f.txt"), function("F_Probe", kShows));
    FolderWindows windows;
    windows.setFolder(folder.path(), QString());
    windows.listFolder();
    while (windows.readSome(1000)) {
    }
    return windows.table()->value("f_probe");
}

// Reads every queued file now.
void readAll(FolderWindows &windows)
{
    windows.listFolder();
    while (windows.readSome(1000)) {
    }
}

} // namespace

class FolderWindowsTest : public QObject
{
    Q_OBJECT

private slots:
    void folder_read_givesWhatItsFunctionsDo_editedScriptLeftOut()
    {
        QTemporaryDir folder;
        write(folder.filePath("funcs.txt"), function("F_Hello", kShows));
        QDir(folder.path()).mkdir("sub");
        write(folder.filePath("sub/more.txt"), function("F_Bye", kCloses));
        write(folder.filePath("edited.txt"), function("F_Mine", kShows));
        write(folder.filePath("chain.txt"), function("F_Chain", "\tcallfunc \"F_Hello\";\n\treturn;"));
        FolderWindows windows;
        QSignalSpy changed(&windows, &FolderWindows::tableChanged);
        windows.setFolder(folder.path(), folder.filePath("edited.txt"));
        readAll(windows);
        QCOMPARE(changed.count(), 1);
        QStringList names = windows.table()->keys();
        names.sort();
        // A function of the folder that calls another file's does what that one does.
        QCOMPARE(names, (QStringList{"f_bye", "f_chain", "f_hello"}));
        QCOMPARE(windows.table()->value("f_chain"), windows.table()->value("f_hello"));
        QVERIFY(windows.table()->value("f_hello") != windows.table()->value("f_bye"));
        QVERIFY(windows.table()->value("f_hello") != WindowRules::unknownSummary());
    }

    void fileChangedOnDisk_isReadAgain()
    {
        QTemporaryDir folder;
        write(folder.filePath("funcs.txt"), function("F_Hello", kShows));
        FolderWindows windows;
        QSignalSpy changed(&windows, &FolderWindows::tableChanged);
        windows.setFolder(folder.path(), QString());
        readAll(windows);
        const WindowSummary shows = windows.table()->value("f_hello");
        write(folder.filePath("funcs.txt"), function("F_Hello", kCloses) + function("F_New", kShows));
        QTRY_COMPARE_WITH_TIMEOUT(changed.count(), 2, 5000);
        QVERIFY(windows.table()->value("f_hello") != shows);
        QCOMPARE(windows.table()->value("f_new"), shows);
        QFile::remove(folder.filePath("funcs.txt"));
        QTRY_COMPARE_WITH_TIMEOUT(changed.count(), 3, 5000);
        QVERIFY(windows.table()->isEmpty());
        // A file that comes defines its functions too.
        write(folder.filePath("later.txt"), function("F_Later", kShows));
        QTRY_COMPARE_WITH_TIMEOUT(changed.count(), 4, 5000);
        QCOMPARE(windows.table()->keys(), QStringList{"f_later"});
        // And a folder made inside it, with its scripts.
        QVERIFY(QDir(folder.path()).mkdir("made"));
        write(folder.filePath("made/inside.txt"), function("F_Inside", kShows));
        QTRY_COMPARE_WITH_TIMEOUT(windows.table()->size(), 2, 5000);
        QVERIFY(windows.table()->contains("f_inside"));
    }

    // Another script of the folder edited: the one edited before counts again.
    void otherScriptEdited_previousOneCountsAgain()
    {
        QTemporaryDir folder;
        write(folder.filePath("a.txt"), function("F_A", kShows));
        write(folder.filePath("b.txt"), function("F_B", kShows));
        FolderWindows windows;
        windows.setFolder(folder.path(), folder.filePath("a.txt"));
        readAll(windows);
        QCOMPARE(windows.table()->keys(), QStringList{"f_b"});
        windows.setFolder(folder.path(), folder.filePath("b.txt"));
        while (windows.readSome(1000)) {
        }
        QCOMPARE(windows.table()->keys(), QStringList{"f_a"});
    }

    // The editor judges a call of a function of the folder with what it does.
    void highlighter_callOfFolderFunction_isJudgedWithIt()
    {
        QPlainTextEdit editor;
        // Owned by the editor, as in the main window.
        ScriptHighlighter &highlighter = *new ScriptHighlighter(&editor, Commands::Table::builtIn());
        editor.setPlainText("prontera,150,150,4\tscript\tGreeter\t4_F_01,{\n\tcallfunc \"F_Hello\";\n\tend;\n}");
        highlighter.judgeFlowNow();
        const auto codesOnEnd = [&] {
            QStringList codes;
            for (const Diagnostic &d : highlighter.diagnostics(2))
                codes.append(d.code);
            return codes;
        };
        QCOMPARE(codesOnEnd(), QStringList());
        auto table = std::make_shared<WindowAcross::Table>();
        table->insert("f_hello", summaryOfShowing());
        highlighter.setOutsideWindows(table);
        highlighter.judgeFlowNow();
        QCOMPARE(codesOnEnd(), QStringList{"TW501"});
        // Checked again for other commands, the script keeps the table.
        highlighter.setCommands(std::make_shared<Commands::Table>(*Commands::Table::builtIn()));
        QCOMPARE(codesOnEnd(), QStringList{"TW501"});
        highlighter.setOutsideWindows(std::make_shared<WindowAcross::Table>());
        highlighter.judgeFlowNow();
        QCOMPARE(codesOnEnd(), QStringList());
    }
};

QTEST_MAIN(FolderWindowsTest)
#include "test_folder_windows.moc"
