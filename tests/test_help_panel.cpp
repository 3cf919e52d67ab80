// The help panel as the pointer moves over the window, and the picture label.
#include "app/guarded_application.h"
#include "main_window/npc_picture_page.h"
#include "main_window/tform1.h"
#include "support/dialog_watcher.h"
#include "support/form_driver.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {
const QString kOpening = "ヘルプ表示予定(永遠未完成(ﾏﾃ\nただ今一部簡易表示中";

// Records the addresses the window asks the desktop to open.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};
} // namespace

class HelpPanelTest : public QObject, public FormDriver
{
    Q_OBJECT

private slots:
    void init()
    {
        enterScratchFolder({"help"});
        const char *files[][2] = {{"npc_info.txt", "info"},    {"npc_name.txt", "name"}, {"npc_button.txt", "button"},
                                  {"npc_warp.txt", "warp"},    {"npc_menu.txt", "menu"}, {"npc_save.txt", "save"},
                                  {"npc_shop.txt", "shop\r\n"}};
        for (const auto &file : files)
            writeHelp(file[0], file[1]);
        openForm();
        panel = form->findChild<QPlainTextEdit *>("Memo2");
    }
    void cleanup()
    {
        closeForm();
        leaveScratchFolder();
    }

    void moveOverGroupSurface_showsItsHelpFile_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("text");
        QTest::newRow("NPC情報入力") << "GroupBox1"
                                     << "info";
        QTest::newRow("メッセージ") << "GroupBox2"
                                    << "name";
        QTest::newRow("ボタン類") << "GroupBox3"
                                  << "button";
        QTest::newRow("ワープ") << "GroupBox4"
                                << "warp";
        QTest::newRow("Memu") << "GroupBox5"
                              << "menu";
        QTest::newRow("Save") << "GroupBox8"
                              << "save";
        QTest::newRow("Shop, final break kept") << "GroupBox12"
                                                << "shop\n";
        for (const char *quiet : {"GroupBox9", "GroupBox6", "GroupBox7", "GroupBox10", "GroupBox11", "GroupBox13",
                                  "TabSheet1", "Memo1", "centralwidget"})
            QTest::newRow(quiet) << quiet << kOpening;
    }
    void moveOverGroupSurface_showsItsHelpFile()
    {
        QFETCH(QString, group);
        QFETCH(QString, text);
        moveOverSurface(group);
        QCOMPARE(panel->toPlainText(), text);
    }

    void moveOverControlInsideGroup_leavesPanel_backOnSurfaceReadsFileAgain()
    {
        moveOverSurface("GroupBox1");
        QCOMPARE(panel->toPlainText(), QString("info"));
        writeHelp("npc_info.txt", "changed on disk");
        for (const char *inside : {"Edit4", "ComboBox8", "Button1", "Label1"}) {
            QWidget *control = form->findChild<QWidget *>(inside);
            QTest::mouseMove(control, control->rect().center());
            QCOMPARE(panel->toPlainText(), QString("info"));
        }
        moveOverSurface("GroupBox1");
        QCOMPARE(panel->toPlainText(), QString("changed on disk"));
    }

    void pictureLabel_showsNotice_thenGroupAgain()
    {
        auto *label = form->findChild<QLabel *>("Label6");
        QTest::mouseMove(label, label->rect().center());
        QCOMPARE(panel->toPlainText(), QString("クリックするとNPC一覧表示"));
        moveOverSurface("GroupBox1");
        QCOMPARE(panel->toPlainText(), QString("info"));
    }

    void pictureLabel_click_opensPage_panelUnchanged()
    {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler("https", &catcher, "open");
        auto *label = form->findChild<QLabel *>("Label6");
        panel->setPlainText("kept");
        QTest::mouseClick(label, Qt::LeftButton);
        QDesktopServices::unsetUrlHandler("https");
        QCOMPARE(catcher.opened, QList<QUrl>{QUrl(kNpcPictureListAddress)});
        QTest::mouseMove(label, label->rect().center() + QPoint(1, 0));
        panel->setPlainText("kept");
        QTest::mouseClick(label, Qt::LeftButton);
        QCOMPARE(panel->toPlainText(), QString("kept"));
    }

    void repeatedMovement_sameText_keepsCaretSelectionAndScroll()
    {
        QByteArray longText;
        for (int i = 0; i < 200; ++i)
            longText += "line " + QByteArray::number(i) + "\r\n";
        writeHelp("npc_menu.txt", longText);
        moveOverSurface("GroupBox5");
        QScrollBar *scroll = panel->verticalScrollBar();
        QVERIFY(scroll->maximum() > 0);
        scroll->setValue(scroll->maximum() / 2);
        QTextCursor selection = panel->textCursor();
        selection.setPosition(30);
        selection.setPosition(40, QTextCursor::KeepAnchor);
        panel->setTextCursor(selection);
        const int scrolled = scroll->value();
        moveOverSurface("GroupBox5", QPoint(1, 0));
        moveOverSurface("GroupBox5", QPoint(2, 0));
        QCOMPARE(scroll->value(), scrolled);
        QCOMPARE(panel->textCursor().selectionStart(), 30);
        QCOMPARE(panel->textCursor().selectionEnd(), 40);
    }

    void userTypedText_isReplacedByHelp()
    {
        panel->setPlainText("my notes");
        moveOverSurface("GroupBox12");
        QCOMPARE(panel->toPlainText(), QString("shop\n"));
    }

    void missingHelpFolder_showsOpenFailure_panelKeepsText()
    {
        QVERIFY(QDir("help").removeRecursively());
        DialogWatcher watcher;
        moveOverSurface("GroupBox4");
        QTRY_COMPARE(watcher.seen().size(), 1);
        QCOMPARE(watcher.seen().first().text, QString("ファイル help/npc_warp.txt は開けません."));
        QCOMPARE(watcher.seen().first().title, QString("Talewick (仮)"));
        QCOMPARE(panel->toPlainText(), kOpening);
    }

    void oversizedHelpFile_showsSizeFailure_panelKeepsText()
    {
        QFile big("help/npc_info.txt");
        QVERIFY(big.open(QIODevice::WriteOnly));
        QVERIFY(big.resize(2 * 1024 * 1024));
        big.close();
        DialogWatcher watcher;
        moveOverSurface("GroupBox1");
        QTRY_COMPARE(watcher.seen().size(), 1);
        QCOMPARE(watcher.seen().first().text, QString("文字列の大きさが メモ の制限を越えました."));
        QCOMPARE(panel->toPlainText(), kOpening);
    }

private:
    void writeHelp(const char *name, const QByteArray &bytes)
    {
        QFile file(QString("help/") + name);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    // Moves the pointer onto a point of the widget's own surface, clear of its children if it can.
    void moveOverSurface(const QString &name, QPoint nudge = {})
    {
        QWidget *widget = name == "Form1" ? form : form->findChild<QWidget *>(name);
        QVERIFY2(widget, qPrintable(name));
        auto *tabs = form->findChild<QTabWidget *>("PageControl1");
        for (int page = 0; page < tabs->count(); ++page) {
            if (tabs->widget(page) == widget || tabs->widget(page)->isAncestorOf(widget))
                tabs->setCurrentIndex(page);
        }
        for (int y = 2; y < widget->height(); y += 3) {
            for (int x = 2; x < widget->width(); x += 3) {
                const QPoint point = QPoint(x, y) + nudge;
                if (!widget->childAt(point) && widget->rect().contains(point)) {
                    QTest::mouseMove(widget, point);
                    return;
                }
            }
        }
        QTest::mouseMove(widget, widget->rect().center() + nudge); // an editor is all viewport
    }

    QPlainTextEdit *panel = nullptr;
};

int main(int argc, char *argv[])
{
    GuardedApplication application(argc, argv);
    HelpPanelTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_help_panel.moc"
