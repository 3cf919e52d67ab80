// Saving the script: the file's name from the clock, its bytes, and every way a
// save can fail without losing the editor's text or an earlier file.
#include "main_window/script_file.h"
#include "support/failure_of.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {
QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class ScriptFileTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        scratch = std::make_unique<QTemporaryDir>();
        QVERIFY(scratch->isValid());
        QVERIFY(QDir(scratch->path()).mkdir("npc"));
        path = scratch->filePath("npc/npc_08-03_2107.txt");
    }
    void cleanup()
    {
        QDir::setCurrent(startDir);
        scratch.reset();
    }

    void fileName_localTime_namesMonthDayHourMinute_data()
    {
        QTest::addColumn<QDateTime>("time");
        QTest::addColumn<QString>("name");
        QTest::newRow("new year midnight") << QDateTime(QDate(2027, 1, 1), QTime(0, 0)) << "npc/npc_01-01_0000.txt";
        QTest::newRow("last second of the year")
            << QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59)) << "npc/npc_12-31_2359.txt";
        QTest::newRow("seconds dropped") << QDateTime(QDate(2026, 3, 9), QTime(9, 5, 59)) << "npc/npc_03-09_0905.txt";
        QTest::newRow("evening") << QDateTime(QDate(2026, 8, 3), QTime(21, 7)) << "npc/npc_08-03_2107.txt";
    }
    void fileName_localTime_namesMonthDayHourMinute()
    {
        QFETCH(QDateTime, time);
        QFETCH(QString, name);
        QCOMPARE(ScriptFile::fileName(time), name);
        QCOMPARE(name.size(), 22);
    }

    void fileText_joinsLinesWithCrLf_data()
    {
        QTest::addColumn<QString>("editor");
        QTest::addColumn<QString>("file");
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("final break") << "A\n"
                                     << "A\r\n";
        QTest::newRow("no final break") << "A\nB"
                                        << "A\r\nB";
        QTest::newRow("blank lines") << "A\n\n"
                                     << "A\r\n\r\n";
    }
    void fileText_joinsLinesWithCrLf()
    {
        QFETCH(QString, editor);
        QFETCH(QString, file);
        QTextDocument document;
        document.setPlainText(editor);
        QCOMPARE(ScriptFile::fileText(document), file);
    }

    void save_writesCodePageBytes()
    {
        const QString text = "港町.tsg,1,2,0\tscript\tﾏﾃ～①\\~\t5,{\r\n\tmes \"やあ\";\r\n";
        ScriptFile::save(path, text);
        QCOMPARE(contentsOf(path), QByteArray("\x8d\x60\x92\xac.tsg,1,2,0\tscript\t\xcf\xc3\x81\x60\x87\x40\\~\t5,{\r\n"
                                              "\tmes \"\x82\xe2\x82\xa0\";\r\n"));
    }

    void save_emptyText_zeroBytes_overwritesEarlierFile()
    {
        ScriptFile::save(path, "first");
        ScriptFile::save(path, "");
        QCOMPARE(QFileInfo(path).size(), 0);
        QCOMPARE(QDir(scratch->filePath("npc")).entryList(QDir::Files), QStringList{"npc_08-03_2107.txt"});
    }

    void save_noFolder_createFailureNamesPath_createsNothing()
    {
        QVERIFY(QDir(scratch->filePath("npc")).removeRecursively());
        QVERIFY(QDir::setCurrent(scratch->path()));
        const QString relative = ScriptFile::fileName(QDateTime(QDate(2026, 8, 3), QTime(21, 7)));
        QCOMPARE(failureOf([&] { ScriptFile::save(relative, "text"); }),
                 QString("ファイル npc/npc_08-03_2107.txt を作成できません"));
        QVERIFY(!QFileInfo::exists(scratch->filePath("npc")));
    }

    void save_npcIsAFile_createFailure()
    {
        QVERIFY(QDir(scratch->filePath("npc")).removeRecursively());
        QFile blocker(scratch->filePath("npc"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QCOMPARE(failureOf([&] { ScriptFile::save(path, "text"); }), QString("ファイル %1 を作成できません").arg(path));
    }

    void save_readOnlyFile_createFailure_fileUntouched()
    {
        ScriptFile::save(path, "earlier");
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        QCOMPARE(failureOf([&] { ScriptFile::save(path, "later"); }),
                 QString("ファイル %1 を作成できません").arg(path));
        QCOMPARE(contentsOf(path), QByteArray("earlier"));
    }

    void save_pathIsAFolder_createFailure()
    {
        QVERIFY(QDir(scratch->filePath("npc")).mkdir("npc_08-03_2107.txt"));
        QCOMPARE(failureOf([&] { ScriptFile::save(path, "text"); }), QString("ファイル %1 を作成できません").arg(path));
    }

    // Bug: a write that failed halfway used to leave a truncated script behind.
    void save_writeFailure_keepsEarlierFile_leavesNoPartialFile()
    {
        ScriptFile::save(path, "earlier");
        const QString large = QString(64 * 1024, u'x');
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved = {};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit limited = saved;
        limited.rlim_cur = 4096;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
        const QString message = failureOf([&] { ScriptFile::save(path, large); });
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        QCOMPARE(message, QString("ストリームへの書き込みエラー"));
        QCOMPARE(contentsOf(path), QByteArray("earlier"));
        QCOMPARE(QDir(scratch->filePath("npc")).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"npc_08-03_2107.txt"});
    }

    void save_unencodableText_refusedNamingCharacterAndLine_writesNothing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("emoji on line 2")
            << "\tmes \"a\";\r\n\tmes \"😀\";\r\n"
            << "2行目の文字「😀」(U+1F600) は Shift_JIS で保存できないため、保存しませんでした";
        QTest::newRow("check mark on line 1")
            << "\tset Zeny = ✓5,0;"
            << "1行目の文字「✓」(U+2713) は Shift_JIS で保存できないため、保存しませんでした";
    }
    void save_unencodableText_refusedNamingCharacterAndLine_writesNothing()
    {
        QFETCH(QString, text);
        QFETCH(QString, message);
        ScriptFile::save(path, "earlier");
        QCOMPARE(failureOf([&] { ScriptFile::save(path, text); }), message);
        QCOMPARE(contentsOf(path), QByteArray("earlier"));
    }

private:
    const QString startDir = QDir::currentPath();
    std::unique_ptr<QTemporaryDir> scratch;
    QString path;
};

QTEST_GUILESS_MAIN(ScriptFileTest)
#include "test_script_file.moc"
