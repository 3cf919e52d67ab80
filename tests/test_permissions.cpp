// Files and folders the user may not write or read: the designed failure, nothing
// written, nothing lost. Runs as an ordinary user (see run_unprivileged.sh).
#include "main_window/help_file.h"
#include "main_window/script_file.h"
#include "support/failure_of.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

class PermissionsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(geteuid() != 0, "an administrator ignores permissions: run as an ordinary user"); }

    void save_readOnlyFolder_createFailure_nothingWritten()
    {
        QTemporaryDir scratch;
        const QString npc = scratch.filePath("npc");
        QVERIFY(QDir().mkdir(npc));
        QVERIFY(QFile::setPermissions(npc, QFile::ReadOwner | QFile::ExeOwner));
        const auto unlock =
            qScopeGuard([&] { QFile::setPermissions(npc, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner); });
        const QString path = npc + "/npc_08-03_2107.txt";
        QCOMPARE(failureOf([&] { ScriptFile::save(path, "\tnext;"); }),
                 QString("ファイル %1 を作成できません").arg(path));
        QCOMPARE(QDir(npc).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden), QStringList());
    }

    void save_readOnlyFile_createFailure_fileUntouched()
    {
        QTemporaryDir scratch;
        const QString path = scratch.filePath("npc_08-03_2107.txt");
        ScriptFile::save(path, "earlier");
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
        QCOMPARE(failureOf([&] { ScriptFile::save(path, "later"); }),
                 QString("ファイル %1 を作成できません").arg(path));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("earlier"));
    }

    void open_unreadableScript_openFailure()
    {
        QTemporaryDir scratch;
        const QString path = scratch.filePath("npc_12-06_1730.txt");
        ScriptFile::save(path, "\tnext;");
        QVERIFY(QFile::setPermissions(path, QFile::WriteOwner));
        QCOMPARE(failureOf([&] { ScriptFile::open(path); }), QString("ファイル %1 は開けません").arg(path));
    }

    void help_unreadable_openFailure_data()
    {
        QTest::addColumn<bool>("folderLocked");
        QTest::newRow("file without read permission") << false;
        QTest::newRow("help folder without permission") << true;
    }
    void help_unreadable_openFailure()
    {
        QFETCH(bool, folderLocked);
        QTemporaryDir scratch;
        const QString help = scratch.filePath("help");
        QVERIFY(QDir().mkdir(help));
        const QString path = help + "/npc_info.txt";
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("text");
        file.close();
        QVERIFY(QFile::setPermissions(folderLocked ? help : path, {}));
        const auto unlock = qScopeGuard([&] {
            QFile::setPermissions(help, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        });
        QCOMPARE(failureOf([&] { HelpFile::read(path); }), QString("ファイル %1 は開けません").arg(path));
    }
};

QTEST_GUILESS_MAIN(PermissionsTest)
#include "test_permissions.moc"
