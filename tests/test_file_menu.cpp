// File > 新規 and 保存 as the user chooses them from the menu.
#include "app/guarded_application.h"
#include "main_window/tform1.h"
#include "support/dialog_watcher.h"
#include "support/form_driver.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

class FileMenuTest : public QObject, public FormDriver
{
    Q_OBJECT

private slots:
    void init()
    {
        enterScratchFolder({"npc"});
        openForm();
        form->setClock([] { return QDateTime(QDate(2026, 8, 3), QTime(21, 7, 42)); });
    }
    void cleanup()
    {
        closeForm();
        leaveScratchFolder();
    }

    void save_writesEditorTextAsCodePageWithCrLf()
    {
        form->scriptBuffer().AppendLine("港町.tsg,120,85,6\tscript\tﾏﾃ\t56,{");
        form->scriptBuffer().AppendLine("\tmes \"こんにちは～\";");
        choose("Save1");
        QCOMPARE(savedBytes(), QByteArray("\x8d\x60\x92\xac.tsg,120,85,6\tscript\t\xcf\xc3\t56,{\r\n"
                                          "\tmes \"\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd\x81\x60\";\r\n"));
        QCOMPARE(memo->toPlainText(), QString("港町.tsg,120,85,6\tscript\tﾏﾃ\t56,{\n\tmes \"こんにちは～\";\n"));
    }

    void save_emptyEditor_zeroByteFile()
    {
        choose("Save1");
        QCOMPARE(savedBytes(), QByteArray());
        QVERIFY(QFileInfo::exists("npc/npc_08-03_2107.txt"));
    }

    void save_noFolder_dialogNamesPath_editorKeepsText()
    {
        QVERIFY(QDir("npc").removeRecursively());
        memo->setPlainText("\tnext;");
        DialogWatcher watcher;
        choose("Save1");
        QTRY_COMPARE(watcher.seen().size(), 1);
        QCOMPARE(watcher.seen().first().text, QString("ファイル npc/npc_08-03_2107.txt を作成できません."));
        QCOMPARE(memo->toPlainText(), QString("\tnext;"));
        QVERIFY(!QFileInfo::exists("npc"));
    }

    void save_unencodableText_refused_nothingWritten()
    {
        memo->setPlainText("\tmes \"ok\";\n\tmes \"🙂\";");
        DialogWatcher watcher;
        choose("Save1");
        QTRY_COMPARE(watcher.seen().size(), 1);
        QCOMPARE(watcher.seen().first().text, QString("2行目の文字「🙂」(U+1F642) は Shift_JIS "
                                                      "で保存できないため、保存しませんでした."));
        QVERIFY(!QFileInfo::exists("npc/npc_08-03_2107.txt"));
        QCOMPARE(memo->toPlainText(), QString("\tmes \"ok\";\n\tmes \"🙂\";"));
    }

    void new_emptiesEditorOnly()
    {
        auto *maps = form->findChild<QComboBox *>("ComboBox8");
        maps->setEditText("harbor01");
        form->Button1Click();
        const QString help = form->findChild<QPlainTextEdit *>("Memo2")->toPlainText();
        choose("N1");
        QCOMPARE(memo->toPlainText(), QString());
        QCOMPARE(maps->count(), 1);
        QCOMPARE(maps->currentText(), QString("harbor01"));
        QCOMPARE(form->findChild<QPlainTextEdit *>("Memo2")->toPlainText(), help);
        choose("N1");
        QCOMPARE(memo->toPlainText(), QString());
    }

private:
    void choose(const char *item) { form->findChild<QAction *>(item)->trigger(); }
    QByteArray savedBytes()
    {
        QFile file("npc/npc_08-03_2107.txt");
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
};

int main(int argc, char *argv[])
{
    GuardedApplication application(argc, argv);
    FileMenuTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_file_menu.moc"
