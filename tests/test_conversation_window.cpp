// The conversation preview as the user meets it: opened with F5 or the editor's
// menu for the NPC at the cursor, pages drawn in their colours, entries that move
// the editor's cursor, and an editor left exactly as it was.
#include "app/guarded_application.h"
#include "conversation_window/conversation_window.h"
#include "conversation_window/message_view.h"
#include "support/form_driver.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTextBlock>
#include <QTimer>

namespace {

// Line numbers (from 0) are written beside each line for the tests below.
const QString kScript = QStringLiteral("harbor01.tsg,5,5,4\tscript\tFirst\t56,{\n"  // 0
                                       "\tmes \"I am first.\";\n"                   // 1
                                       "\tclose;\n"                                 // 2
                                       "}\n"                                        // 3
                                       "harbor01.tsg,9,9,4\tscript\tSecond\t56,{\n" // 4
                                       "\tmes \"Hello ^FF0000red^000000 world\";\n" // 5
                                       "\tnext;\n"                                  // 6
                                       "\tmenu \"Stay\",L_Stay,\"Go\",L_Go;\n"      // 7
                                       "L_Stay:\n"                                  // 8
                                       "\tmes \"Stay here.\";\n"                    // 9
                                       "\tclose;\n"                                 // 10
                                       "L_Go:\n"                                    // 11
                                       "\twarp \"harbor02.tsg\",50,50;\n"           // 12
                                       "\tend;\n"                                   // 13
                                       "}");                                        // 14

// How many pixels of `widget` are clearly red.
int redPixels(QWidget *widget)
{
    const QImage image = widget->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 180 && c.green() < 80 && c.blue() < 80)
                ++count;
        }
    }
    return count;
}

} // namespace

class ConversationWindowTest : public QObject, public FormDriver
{
    Q_OBJECT

private:
    ConversationWindow *window() { return form->conversationWindow(); }
    MessageView *message() { return window()->findChild<MessageView *>("message"); }
    QPushButton *pageButton() { return window()->findChild<QPushButton *>("pageButton"); }
    QListWidget *list(const char *name) { return window()->findChild<QListWidget *>(name); }

    void putCursorOn(int line) { memo->setTextCursor(QTextCursor(memo->document()->findBlockByNumber(line))); }
    void pressF5()
    {
        memo->setFocus();
        QTest::keyClick(memo, Qt::Key_F5);
        QVERIFY(window());
        QVERIFY(QTest::qWaitForWindowExposed(window()));
    }
    // The entry of `list` whose text begins with "LINE 行目".
    QListWidgetItem *entryOn(QListWidget *list, int line)
    {
        for (int i = 0; i < list->count(); ++i) {
            if (list->item(i)->text().startsWith(QStringLiteral("%1 行目").arg(line + 1)))
                return list->item(i);
        }
        return nullptr;
    }

private slots:
    void init()
    {
        openForm();
        memo->setPlainText(kScript);
    }
    void cleanup() { closeForm(); }

    void f5_cursorInSecondNpc_opensItsConversation()
    {
        putCursorOn(9);
        pressF5();
        QCOMPARE(window()->windowTitle(), QStringLiteral("会話プレビュー — Second"));
        QVERIFY(message()->plainText().contains(QStringLiteral("Hello")));
        QVERIFY(pageButton()->isVisible());
        QCOMPARE(pageButton()->text(), QStringLiteral("次へ"));
        QVERIFY(!window()->isModal());
    }

    void editorMenu_onFirstNpc_opensItsConversation()
    {
        putCursorOn(9); // the cursor elsewhere: the line clicked counts
        const QPoint at = memo->cursorRect(QTextCursor(memo->document()->findBlockByNumber(1))).center();
        bool triggered = false;
        QTimer::singleShot(0, this, [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QVERIFY(menu);
            auto *preview = menu->findChild<QAction *>("previewHere");
            QVERIFY(preview);
            QCOMPARE(preview->text(), QStringLiteral("この NPC の会話をプレビュー"));
            preview->trigger();
            triggered = true;
            menu->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, memo->viewport()->mapToGlobal(at));
        QApplication::sendEvent(memo->viewport(), &event);
        QTRY_VERIFY(triggered);
        QTRY_VERIFY(window());
        QCOMPARE(window()->windowTitle(), QStringLiteral("会話プレビュー — First"));
        QVERIFY(message()->plainText().contains(QStringLiteral("I am first.")));
        QCOMPARE(pageButton()->text(), QStringLiteral("閉じる"));
    }

    void page_colourCode_drawsRedOnlyWhereCoded()
    {
        putCursorOn(5);
        pressF5();
        QVERIFY(message()->width() <= 300);
        QVERIFY(redPixels(message()) > 10);
        QTest::mouseClick(pageButton(), Qt::LeftButton);
        auto *choices = list("choices");
        QVERIFY(choices->isVisible());
        QCOMPARE(choices->count(), 2);
        QTest::mouseClick(choices->viewport(), Qt::LeftButton, {}, choices->visualItemRect(choices->item(0)).center());
        QVERIFY(message()->plainText().contains(QStringLiteral("Stay here.")));
        QCOMPARE(redPixels(message()), 0);
    }

    void pathEntry_clicked_movesCursorAndLeavesEditorAlone()
    {
        memo->textCursor().insertText(QStringLiteral("// note\n")); // an undo step of the user's own
        putCursorOn(6);
        const QString text = memo->toPlainText();
        const int undoSteps = memo->document()->availableUndoSteps();
        const int revision = memo->document()->revision();
        pressF5();
        QTest::mouseClick(pageButton(), Qt::LeftButton);
        auto *choices = list("choices");
        QTest::mouseClick(choices->viewport(), Qt::LeftButton, {}, choices->visualItemRect(choices->item(1)).center());

        QListWidgetItem *warp = nullptr;
        QTRY_VERIFY((warp = entryOn(list("effects"), 13))); // the lists follow the painted page
        QVERIFY(warp->text().contains(QStringLiteral("harbor02.tsg 50,50 へワープ")));
        QListWidgetItem *page = entryOn(list("path"), 6);
        QVERIFY(page);
        auto *path = list("path");
        QTest::mouseClick(path->viewport(), Qt::LeftButton, {}, path->visualItemRect(page).center());
        QCOMPARE(memo->textCursor().blockNumber(), 6);
        auto *effects = list("effects");
        QTest::mouseClick(effects->viewport(), Qt::LeftButton, {}, effects->visualItemRect(warp).center());
        QCOMPARE(memo->textCursor().blockNumber(), 13);

        QCOMPARE(memo->toPlainText(), text);
        QCOMPARE(memo->document()->availableUndoSteps(), undoSteps);
        QCOMPARE(memo->document()->revision(), revision);
    }

    void editAfterStart_runUndisturbed_saysScriptChanged_sameAnswersReplay()
    {
        putCursorOn(5);
        pressF5();
        QTest::mouseClick(pageButton(), Qt::LeftButton);
        auto *changed = window()->findChild<QLabel *>("scriptChanged");
        QVERIFY(!changed->isVisible());

        QTextCursor edit(memo->document()->findBlockByNumber(9));
        edit.movePosition(QTextCursor::EndOfBlock);
        edit.insertText(QStringLiteral("\n\tmes \"Added.\";")); // line 10 now
        QVERIFY(changed->isVisible());
        auto *choices = list("choices");
        QCOMPARE(choices->count(), 2); // the run goes on as it began
        QTest::mouseClick(choices->viewport(), Qt::LeftButton, {}, choices->visualItemRect(choices->item(0)).center());
        QVERIFY(!message()->plainText().contains(QStringLiteral("Added.")));

        QTest::mouseClick(window()->findChild<QPushButton *>("sameAnswers"), Qt::LeftButton);
        QVERIFY(message()->plainText().contains(QStringLiteral("Added.")));
        QVERIFY(!changed->isVisible());
        QTest::mouseClick(window()->findChild<QPushButton *>("restart"), Qt::LeftButton);
        QVERIFY(message()->plainText().contains(QStringLiteral("Hello")));
    }

    void question_andInput_answeredInTheBox_runGoesOn()
    {
        memo->setPlainText(QStringLiteral("a.tsg,1,1,0\tscript\tAsker\t1,{\n\tif (Zeny < 500) mes \"poor\";\n"
                                          "\tinput .@n;\n\tmes \"n=\" + .@n;\n\tend;\n}"));
        putCursorOn(1);
        pressF5();
        auto *question = window()->findChild<QLabel *>("question");
        QVERIFY(question->isVisible());
        QCOMPARE(question->text(), QStringLiteral("この条件は成り立ちますか？ `Zeny < 500`"));
        QTest::mouseClick(window()->findChild<QPushButton *>("yesButton"), Qt::LeftButton);
        auto *field = window()->findChild<QLineEdit *>("inputField");
        QVERIFY(field->isVisible());
        QTest::keyClicks(field, QStringLiteral("42"));
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(message()->plainText(), QStringLiteral("poor\nn=42"));
        auto *ending = window()->findChild<QLabel *>("ending");
        QVERIFY(ending->isVisible());
        QVERIFY(ending->text().contains(QStringLiteral("5 行目"))); // stuck at the end, the line named
        QVERIFY(ending->palette().color(QPalette::WindowText).red() > 150);
    }

    // F5 on a line with a finding runs the path it was found on up to that line;
    // the same answers rerun it, and F5 elsewhere starts from the top.
    void f5_onAFindingsLine_takesItsPath()
    {
        memo->setPlainText(QStringLiteral("harbor01.tsg,5,5,4\tscript\tPath\t56,{\n" // 0
                                          "\tmes \"Choose.\";\n"                       // 1
                                          "\tmenu \"Stay\",L_Stay,\"Go\",L_Go;\n"        // 2
                                          "L_Stay:\n"                                   // 3
                                          "\tmes \"Stay here.\";\n"                    // 4
                                          "\tclose;\n"                                  // 5
                                          "L_Go:\n"                                     // 6
                                          "\tmes \"Going.\";\n"                        // 7
                                          "\tend;\n"                                    // 8
                                          "}"));                                        // 9
        putCursorOn(8);
        pressF5();
        QCOMPARE(message()->plainText(), QStringLiteral("Choose.\nGoing."));
        QVERIFY(window()->findChild<QLabel *>("ending")->text().contains(QStringLiteral("9 行目")));
        QTRY_VERIFY(entryOn(list("path"), 2));
        QVERIFY(entryOn(list("path"), 2)->text().contains(QStringLiteral("選択「Go」")));

        QTest::mouseClick(window()->findChild<QPushButton *>("sameAnswers"), Qt::LeftButton);
        QCOMPARE(message()->plainText(), QStringLiteral("Choose.\nGoing."));

        putCursorOn(4);
        form->findChild<QAction *>("Preview1")->trigger(); // F5 goes to the preview, which has the focus now
        QCOMPARE(message()->plainText(), QStringLiteral("Choose."));
        QVERIFY(list("choices")->isVisible());
    }

    void f5_cursorOutsideAnyBody_saysSo()
    {
        memo->setPlainText(QStringLiteral("// only a comment\n"));
        putCursorOn(0);
        pressF5();
        QVERIFY(window()->findChild<QLabel *>("ending")->text().contains(QStringLiteral("1 行目")));
        QVERIFY(!pageButton()->isVisible());
    }
};

int main(int argc, char *argv[])
{
    GuardedApplication application(argc, argv);
    ConversationWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_conversation_window.moc"
