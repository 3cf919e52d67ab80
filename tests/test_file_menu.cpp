// The File menu as the user chooses it: 新規, 開く…, 保存 and 名前を付けて保存…, and
// a script file dropped onto the editor.
#include "app/guarded_application.h"
#include "main_window/script_highlighter.h"
#include "main_window/tform1.h"
#include "support/chooser_watcher.h"
#include "support/dialog_watcher.h"
#include "support/form_driver.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {
// "港町" and "こんにちは" in code page 932.
const QByteArray kHarbor("\x8d\x60\x92\xac");
const QByteArray kHello("\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd");
} // namespace

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

    void menu_orderTextsAndShortcuts()
    {
        const QList<QAction *> items = form->findChild<QMenu *>("File1")->actions();
        QStringList names, texts, shortcuts;
        for (const QAction *item : items) {
            names.append(item->objectName());
            texts.append(item->text());
            shortcuts.append(item->shortcut().toString(QKeySequence::PortableText));
        }
        QCOMPARE(names, QStringList({"N1", "Open1", "Save1", "SaveAs1", "Exit1"}));
        QCOMPARE(texts, QStringList({"新規", "開く…", "保存", "名前を付けて保存…", "終了"}));
        QCOMPARE(shortcuts, QStringList({"", "Ctrl+O", "", "Ctrl+Shift+S", ""}));
    }

    void shortcuts_fromEditor_openTheirChoosers_data()
    {
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QFileDialog::AcceptMode>("mode");
        QTest::newRow("Ctrl+O") << int(Qt::ControlModifier) << QFileDialog::AcceptOpen;
        QTest::newRow("Ctrl+Shift+S") << int(Qt::ControlModifier | Qt::ShiftModifier) << QFileDialog::AcceptSave;
    }
    void shortcuts_fromEditor_openTheirChoosers()
    {
        QFETCH(int, modifiers);
        QFETCH(QFileDialog::AcceptMode, mode);
        memo->setFocus();
        ChooserWatcher chooser("");
        const Qt::Key key = mode == QFileDialog::AcceptOpen ? Qt::Key_O : Qt::Key_S;
        QTest::keyClick(memo, key, Qt::KeyboardModifiers(modifiers));
        QTRY_COMPARE(chooser.seen().size(), 1);
        QCOMPARE(chooser.seen().first().mode, mode);
        QCOMPARE(chooser.seen().first().folder, scratch->filePath("npc"));
        QCOMPARE(memo->toPlainText(), QString());
    }

    void open_eachLineBreak_becomesALine_caretAtStart_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("CR LF") << kHarbor + "\r\n\tmes \"" + kHello + "\";\r\n"
                               << "港町\n\tmes \"こんにちは\";\n";
        QTest::newRow("lone LF") << kHarbor + "\n\tnext;"
                                 << "港町\n\tnext;";
        QTest::newRow("lone CR") << kHarbor + "\r\tnext;\r"
                                 << "港町\n\tnext;\n";
        QTest::newRow("LF CR is two breaks") << QByteArray("a\n\rb") << "a\n\nb";
        QTest::newRow("mixed") << QByteArray("a\r\nb\nc\rd") << "a\nb\nc\nd";
        QTest::newRow("half-width katakana") << QByteArray("\xcf\xc3") << "ﾏﾃ";
        QTest::newRow("empty file") << QByteArray() << "";
    }
    void open_eachLineBreak_becomesALine_caretAtStart()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        memo->setPlainText("old");
        memo->document()->setModified(false);
        memo->moveCursor(QTextCursor::End);
        const QString path = write("npc/harbor.txt", bytes);
        ChooserWatcher chooser(path);
        choose("Open1");
        QCOMPARE(chooser.seen().size(), 1);
        QCOMPARE(chooser.seen().first().folder, scratch->filePath("npc"));
        QVERIFY(chooser.seen().first().filters.contains("スクリプト (*.txt)"));
        QCOMPARE(memo->toPlainText(), text);
        QCOMPARE(memo->textCursor().position(), 0);
        // Saved again untouched, the file holds CR LF wherever it had any break.
        choose("Save1");
        QCOMPARE(savedBytes(), QByteArray(bytes).replace("\r\n", "\n").replace('\r', '\n').replace("\n", "\r\n"));
    }

    void open_refusedFile_changesNothing_dialogNamesFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("bad bytes on line 3")
            << "bad"
            << "ファイル %1 の 3 行目に Shift_JIS ではないバイトがあるため、開きませんでした.";
        QTest::newRow("lead byte cut by the line end")
            << "cut"
            << "ファイル %1 の 2 行目に Shift_JIS ではないバイトがあるため、開きませんでした.";
        QTest::newRow("too large") << "large"
                                   << "ファイル %1 は大きすぎます（16777216 バイトまで）.";
        QTest::newRow("a folder") << "folder"
                                  << "ファイル %1 は開けません.";
        QTest::newRow("missing") << "missing"
                                 << "ファイル %1 は開けません.";
    }
    void open_refusedFile_changesNothing_dialogNamesFile()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        const QString path = scratch->filePath("npc/refused.txt");
        if (kind == "bad")
            write("npc/refused.txt", "ok\r\nok\n\x85\x40\x82\r\n\xff");
        if (kind == "cut")
            write("npc/refused.txt", "ok\r\n\x82\r\nok");
        if (kind == "large")
            write("npc/refused.txt", QByteArray(16 * 1024 * 1024 + 1, 'a'));
        if (kind == "folder")
            QVERIFY(QDir().mkdir(path));
        typeIntoEditor("\tmes \"mine\";");
        DialogWatcher watcher;
        drop(path);
        QTRY_COMPARE(watcher.seen().size(), 1);
        QCOMPARE(watcher.seen().first().text, message.arg(path));
        QCOMPARE(memo->toPlainText(), QString("\tmes \"mine\";"));
    }

    void open_question_askedOnlyAfterAChange_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<bool>("asked");
        QTest::newRow("fresh start") << "" << false;
        QTest::newRow("typed") << "type" << true;
        QTest::newRow("typed, then 新規") << "type,new" << false;
        QTest::newRow("typed, then deleted again") << "type,undo" << false;
        QTest::newRow("button line") << "button" << true;
        QTest::newRow("button line, then 保存") << "button,save" << false;
        QTest::newRow("opened") << "open" << false;
        QTest::newRow("opened, then typed") << "open,type" << true;
        QTest::newRow("typed, then 名前を付けて保存") << "type,saveas" << false;
    }
    void open_question_askedOnlyAfterAChange()
    {
        QFETCH(QString, before);
        QFETCH(bool, asked);
        const QString earlier = write("npc/earlier.txt", "\tclose;");
        const QString path = write("npc/wanted.txt", "\tnext;");
        for (const QString &step : before.split(',', Qt::SkipEmptyParts)) {
            if (step == "type")
                typeIntoEditor("x");
            if (step == "undo")
                QTest::keyClick(memo, Qt::Key_Z, Qt::ControlModifier);
            if (step == "new")
                choose("N1");
            if (step == "button")
                press("Button3");
            if (step == "save")
                choose("Save1");
            if (step == "open")
                drop(earlier);
            if (step == "saveas") {
                ChooserWatcher chooser(scratch->filePath("npc/kept.txt"));
                choose("SaveAs1");
            }
            QTest::qWait(20);
        }
        DialogWatcher watcher(QMessageBox::Yes);
        drop(path);
        QTRY_COMPARE(memo->toPlainText(), QString("\tnext;"));
        QCOMPARE(watcher.seen().size(), asked ? 1 : 0);
        if (asked) {
            QCOMPARE(watcher.seen().first().text, QString("編集中のスクリプトを破棄して開きますか？"));
            QCOMPARE(watcher.seen().first().buttonTexts, QStringList({"はい", "いいえ"}));
            QCOMPARE(watcher.seen().first().title, QString("Talewick (仮)"));
        }
    }

    void open_questionAnsweredNo_changesNothing()
    {
        typeIntoEditor("\tmes \"mine\";");
        const QString path = write("npc/wanted.txt", "\tnext;");
        DialogWatcher watcher(QMessageBox::No);
        ChooserWatcher chooser(path);
        choose("Open1");
        QCOMPARE(watcher.seen().size(), 1);
        QCOMPARE(memo->toPlainText(), QString("\tmes \"mine\";"));
        // Still a change: the next open asks again.
        drop(path);
        QTRY_COMPARE(watcher.seen().size(), 2);
    }

    void open_checkerReadsText_valueHistoryUntouched()
    {
        auto *maps = box("ComboBox8");
        maps->setEditText("harbor01");
        form->Button1Click();
        choose("N1");
        drop(write("npc/jump.txt", "-\tscript\tA\t-1,{\r\n\tgoto L_Nowhere;\r\n}\r\n"));
        QTRY_COMPARE(memo->document()->blockCount(), 4);
        QStringList codes;
        for (const Diagnostic &diagnostic : form->highlighter().allDiagnostics())
            codes.append(diagnostic.code);
        QVERIFY2(codes.contains("TW206"), qPrintable(codes.join(' ')));
        QCOMPARE(maps->count(), 1);
        QCOMPARE(maps->itemText(0), QString("harbor01"));
    }

    void drop_textAndOtherFiles_asBefore_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("text");
        QTest::newRow("plain text inserts") << "text"
                                            << "ab\tnext;";
        QTest::newRow("a picture is refused") << "png"
                                              << "ab";
        QTest::newRow("two scripts are refused") << "two"
                                                 << "ab";
    }
    void drop_textAndOtherFiles_asBefore()
    {
        QFETCH(QString, what);
        QFETCH(QString, text);
        typeIntoEditor("ab");
        QMimeData mime;
        if (what == "text")
            mime.setText("\tnext;");
        if (what == "png")
            mime.setUrls({QUrl::fromLocalFile(write("npc/face.png", "\x89PNG"))});
        if (what == "two")
            mime.setUrls({QUrl::fromLocalFile(write("npc/a.txt", "a")), QUrl::fromLocalFile(write("npc/b.txt", "b"))});
        // A file manager's drag also carries the addresses as text.
        if (what != "text")
            mime.setText(mime.urls().first().toString());
        const bool accepted = sendDrop(mime);
        QCOMPARE(accepted, what == "text");
        QTest::qWait(20);
        QCOMPARE(memo->toPlainText(), text);
    }

    void saveAs_writesCodePageCrLf_addsTxt_remembersFolder()
    {
        QVERIFY(QDir(scratch->path()).mkdir("server"));
        form->scriptBuffer().AppendLine("港町.tsg,1,2,3\tscript\tﾏﾃ\t56,{");
        form->scriptBuffer().AppendLine("}");
        {
            ChooserWatcher chooser(scratch->filePath("server/harbor"));
            choose("SaveAs1");
            QCOMPARE(chooser.seen().size(), 1);
            QCOMPARE(chooser.seen().first().folder, scratch->filePath("npc"));
            QCOMPARE(chooser.seen().first().filters, QStringList({"スクリプト (*.txt)"}));
        }
        QCOMPARE(contentsOf("server/harbor.txt"), kHarbor + ".tsg,1,2,3\tscript\t\xcf\xc3\t56,{\r\n}\r\n");
        QVERIFY(!memo->document()->isModified());
        ChooserWatcher again("");
        choose("SaveAs1");
        QCOMPARE(again.seen().first().folder, scratch->filePath("server"));
        QCOMPARE(again.seen().first().proposedName, QString("harbor.txt"));
        // 保存 keeps its stamped name in npc/.
        choose("Save1");
        QCOMPARE(savedBytes(), contentsOf("server/harbor.txt"));
    }

    void saveAs_unencodableText_refused_nothingWritten()
    {
        memo->setPlainText("\tmes \"ok\";\n\tmes \"🙂\";");
        memo->document()->setModified(true); // as typed
        DialogWatcher watcher;
        ChooserWatcher chooser(scratch->filePath("npc/smile.txt"));
        choose("SaveAs1");
        QTRY_COMPARE(watcher.seen().size(), 1);
        QCOMPARE(watcher.seen().first().text, QString("2行目の文字「🙂」(U+1F642) は Shift_JIS "
                                                      "で保存できないため、保存しませんでした."));
        QVERIFY(!QFileInfo::exists(scratch->filePath("npc/smile.txt")));
        QVERIFY(memo->document()->isModified());
    }

    void saveAs_existingFile_replacedOnlyAfterYes_data()
    {
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("yes") << QMessageBox::Yes << QByteArray("\tnext;");
        QTest::newRow("no") << QMessageBox::No << QByteArray("earlier");
    }
    void saveAs_existingFile_replacedOnlyAfterYes()
    {
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(QByteArray, bytes);
        const QString path = write("npc/harbor.txt", "earlier");
        memo->setPlainText("\tnext;");
        DialogWatcher question(answer);
        ChooserWatcher chooser(path);
        choose("SaveAs1");
        QCOMPARE(question.seen().size(), 1);
        QCOMPARE(contentsOf("npc/harbor.txt"), bytes);
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
    void choose(const char *item)
    {
        QAction *action = form->findChild<QAction *>(item);
        QVERIFY2(action && action->isEnabled(), item);
        action->trigger();
    }
    QString write(const QString &name, const QByteArray &bytes)
    {
        QFile file(scratch->filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(name));
        return file.fileName();
    }
    QByteArray contentsOf(const QString &name)
    {
        QFile file(scratch->filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    void typeIntoEditor(const QString &text)
    {
        memo->setFocus();
        memo->moveCursor(QTextCursor::End);
        QTest::keyClicks(memo, text);
    }
    // Drops `mime` in the middle of the editor as a file manager would; true when the
    // editor took it.
    bool sendDrop(const QMimeData &mime)
    {
        QWidget *target = memo->viewport();
        const QPointF middle = QRectF(target->rect()).center();
        QDragEnterEvent enter(middle.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(middle, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        return drop.isAccepted();
    }
    void drop(const QString &path)
    {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(path)});
        QVERIFY(sendDrop(mime));
        // The file is opened once the drop is over.
        QTest::qWait(20);
    }
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
