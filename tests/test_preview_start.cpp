// The conversation preview started from outside ("talewick --preview LINE FILE",
// as the VS Code extension runs it) and right after an edit: the run starts on
// the script as it stands, and does not report a change that only the highlighter made.
#include "app/guarded_application.h"
#include "common/code_page.h"
#include "conversation_window/conversation_window.h"
#include "main_window/script_highlighter.h"
#include "support/form_driver.h"

#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextBlock>

namespace {

const QString kScript = QStringLiteral("harbor01.tsg,5,5,4\tscript\tFirst\t56,{\r\n"  // 0
                                       "\tmes \"I am first.\";\r\n"                   // 1
                                       "\tclose;\r\n"                                 // 2
                                       "}\r\n"                                        // 3
                                       "harbor01.tsg,9,9,4\tscript\tSecond\t56,{\r\n" // 4
                                       "\tmes \"[案内]\";\r\n"                        // 5
                                       "\tif (.@n > 3) close;\r\n" // 6: .@n is never set, which the flow finds
                                       "\tclose;\r\n"              // 7
                                       "}\r\n");

} // namespace

class PreviewStartTest : public QObject, public FormDriver
{
    Q_OBJECT

private:
    QLabel *changedNotice() { return form->conversationWindow()->findChild<QLabel *>("scriptChanged"); }
    // Past the pause after which the highlighter judges the flow and repaints.
    static void waitPastFlowPause() { QTest::qWait(ScriptHighlighter::kFlowPauseMs * 2); }

private slots:
    void init() { openForm(); }
    void cleanup() { closeForm(); }

    void previewScript_atStart_opensTheFileAndPreviewsTheLine_reportsNoChange()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("guide.txt"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(CodePage932::encode(kScript));
        file.close();

        // As main() does it: before the event loop has run once.
        TForm1 started;
        started.show();
        started.previewScript(path, 5);
        QTRY_VERIFY(started.conversationWindow() && started.conversationWindow()->isVisible());
        QCOMPARE(started.conversationWindow()->windowTitle(), QStringLiteral("会話プレビュー — Second"));
        QCOMPARE(started.findChild<QPlainTextEdit *>("Memo1")->textCursor().blockNumber(), 5);
        waitPastFlowPause();
        QVERIFY(!started.conversationWindow()->findChild<QLabel *>("scriptChanged")->isVisible());
    }

    void f5_rightAfterAnEdit_reportsNoChange()
    {
        memo->setPlainText(QString(kScript).remove(u'\r'));
        waitPastFlowPause();
        QTextCursor cursor(memo->document()->findBlockByNumber(5));
        cursor.movePosition(QTextCursor::EndOfBlock);
        cursor.insertText(QStringLiteral("\n\tif (.@m > 3) close;")); // a flow finding for the pause to judge
        memo->setTextCursor(cursor);
        memo->setFocus();
        QTest::keyClick(memo, Qt::Key_F5); // before the flow of the edit is judged
        QVERIFY(form->conversationWindow());
        waitPastFlowPause();
        QVERIFY(!changedNotice()->isVisible());
    }
};

int main(int argc, char *argv[])
{
    GuardedApplication application(argc, argv);
    PreviewStartTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_preview_start.moc"
