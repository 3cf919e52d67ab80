// Reading help texts: decoding, line breaks, zero bytes and files that are not
// plain readable files.
#include "main_window/help_file.h"
#include "support/failure_of.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

class HelpFileTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { dir = std::make_unique<QTemporaryDir>(); }

    void textOf_helpFileBytes_decodesAndNormalisesLineBreaks_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("CR LF") << QByteArray("a\r\nb") << "a\nb";
        QTest::newRow("lone LF") << QByteArray("a\nb") << "a\nb";
        QTest::newRow("lone CR") << QByteArray("a\rb") << "a\nb";
        QTest::newRow("LF CR is two breaks") << QByteArray("a\n\rb") << "a\n\nb";
        QTest::newRow("CR CR LF") << QByteArray("a\r\r\nb") << "a\n\nb";
        QTest::newRow("final break kept") << QByteArray("a\r\n") << "a\n";
        QTest::newRow("empty") << QByteArray() << "";
        QTest::newRow("zero byte ends the text") << QByteArray("a\r\nb\0hidden", 11) << "a\nb";
        QTest::newRow("zero byte first") << QByteArray("\0abc", 4) << "";
        QTest::newRow("code page") << QByteArray("\x83\x77\x83\x8b\x83\x76\r\n\xcf\xc3") << "ヘルプ\nﾏﾃ";
        QTest::newRow("trail byte 0x5c is part of the character") << QByteArray("\x95\x5c\r\n") << "表\n";
    }
    void textOf_helpFileBytes_decodesAndNormalisesLineBreaks()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(HelpFile::textOf(bytes), text);
    }

    void textOf_invalidBytes_decodedWithoutFailure()
    {
        const QString text = HelpFile::textOf(QByteArray("ok\x81\r\n"));
        QVERIFY(text.startsWith("ok"));
        QVERIFY(text.endsWith("\n"));
    }

    void path_usesPlatformSeparator() { QCOMPARE(HelpFile::path("npc_info.txt"), QString("help/npc_info.txt")); }

    void path_workingFolderFirst_elseInstalled_data()
    {
        QTest::addColumn<bool>("localHelp");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("both: the working folder's") << true << true << "help/npc_info.txt";
        QTest::newRow("working folder's alone") << true << false << "help/npc_info.txt";
        QTest::newRow("installed alone") << false << true << "<installed>/npc_info.txt";
        QTest::newRow("neither: the working folder's name") << false << false << "help/npc_info.txt";
    }
    void path_workingFolderFirst_elseInstalled()
    {
        QFETCH(bool, localHelp);
        QFETCH(bool, installed);
        QFETCH(QString, expected);
        QTemporaryDir working, share;
        if (localHelp)
            QVERIFY(QDir(working.path()).mkdir("help"));
        const QString installedHelp = share.filePath("share/talewick/help");
        if (installed)
            QVERIFY(QDir().mkpath(installedHelp));
        const QString start = QDir::currentPath();
        QVERIFY(QDir::setCurrent(working.path()));
        const QString path = HelpFile::path("npc_info.txt", installedHelp);
        QDir::setCurrent(start);
        QCOMPARE(path, QString(expected).replace("<installed>", installedHelp));
    }

    void read_regularFile()
    {
        write("npc_info.txt", "NPC\r\n\x8f\xee\x95\xf1");
        QCOMPARE(HelpFile::read(file("npc_info.txt")), QString("NPC\n情報"));
    }

    void read_notAReadableRegularFile_openFailure_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing") << "missing";
        QTest::newRow("folder") << "folder";
        QTest::newRow("named pipe") << "fifo";
    }
    void read_notAReadableRegularFile_openFailure()
    {
        QFETCH(QString, kind);
        const QString path = file("npc_warp.txt");
        if (kind == "folder")
            QVERIFY(QDir(dir->path()).mkdir("npc_warp.txt"));
        if (kind == "fifo")
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0644), 0);
        QCOMPARE(failureOf([&] { HelpFile::read(path); }), QString("ファイル %1 は開けません").arg(path));
    }

    void read_oversized_refusedUnread_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("refused");
        QTest::newRow("exactly the limit") << HelpFile::kMaxBytes << false;
        QTest::newRow("one byte more") << HelpFile::kMaxBytes + 1 << true;
        QTest::newRow("1 GiB sparse") << (qint64(1) << 30) << true;
    }
    void read_oversized_refusedUnread()
    {
        QFETCH(qint64, size);
        QFETCH(bool, refused);
        QFile big(file("npc_shop.txt"));
        QVERIFY(big.open(QIODevice::WriteOnly));
        QVERIFY(big.resize(size)); // sparse: zero bytes, so a read text is empty
        big.close();
        const QString message = failureOf([&] { HelpFile::read(big.fileName()); });
        QCOMPARE(message, refused ? QString("文字列の大きさが メモ の制限を越えました") : QString());
    }

private:
    QString file(const QString &name) const { return dir->filePath(name); }
    void write(const QString &name, const QByteArray &bytes)
    {
        QFile out(file(name));
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(bytes);
    }

    std::unique_ptr<QTemporaryDir> dir;
};

QTEST_GUILESS_MAIN(HelpFileTest)
#include "test_help_file.moc"
