// The generator buttons pressed in the real window, with the fields typed into.
#include "app/guarded_application.h"
#include "dialog_watcher.h"
#include "form_driver.h"

#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

namespace {
QStringList entriesOf(QComboBox *box)
{
    QStringList entries;
    for (int i = 0; i < box->count(); ++i)
        entries << box->itemText(i);
    return entries;
}
} // namespace

class GeneratorsTest : public QObject, private FormDriver
{
    Q_OBJECT

private slots:
    void init() { openForm(); }
    void cleanup() { closeForm(); }

    void conversation_composedFromButtons_matchesFileLines()
    {
        headerFields("harbor01", "120", "85", 6, "Ferryman", "56");
        press("Button1");

        type("Edit4", "Mira");
        press("Button19");
        type("Edit5", "Hello there");
        press("Button2");
        press("Button3");
        type("Edit9", "Yes");
        type("ComboBox2", "L_Yes");
        press("Button7");
        type("Edit9", "No");
        type("ComboBox2", "L_No");
        press("Button8");
        press("Button9");
        type("ComboBox2", "L_Yes");
        press("Button10");
        press("Button4");
        type("ComboBox2", "l_no"); // written as typed, remembered once
        press("Button10");
        press("Button4");
        press("Button6");

        QCOMPARE(fileText(), QString("harbor01.tsg,120,85,6\tscript\tFerryman\t56,{\r\n"
                                     "\tmes \"[Mira]\";\r\n"
                                     "\tmes \"Hello there\";\r\n"
                                     "\tnext;\r\n"
                                     "\tmenu \"Yes\",L_Yes,\"No\",L_No;\r\n"
                                     "L_Yes:\r\n"
                                     "\tclose;\r\n"
                                     "l_no:\r\n"
                                     "\tclose;\r\n"
                                     "}\r\n"));
        QCOMPARE(entriesOf(box("ComboBox8")), QStringList{"harbor01"});
        QCOMPARE(entriesOf(box("ComboBox2")), (QStringList{"L_Yes", "L_No"}));
        QCOMPARE(box("ComboBox2")->currentText(), QString("l_no"));
    }

    void effects_composedFromButtons_rememberOncePerValue()
    {
        type("ComboBox6", "lakeside");
        type("Edit7", "120");
        type("Edit8", "64");
        press("Button5");
        type("ComboBox5", "lakeside");
        type("Edit11", "35");
        type("Edit12", "210");
        press("Button15");
        type("ComboBox5", "LAKESIDE");
        press("Button15");
        type("Edit13", "500");
        press("Button16");
        pick("emo_sel", 3);
        press("Button11");
        pick("ComboBox3", 3);
        press("Button13");
        press("Button12");
        pick("ComboBox4", 21);
        press("Button14");
        type("ComboBox7", "607");
        press("Button18");
        QCOMPARE(line("Edit6")->text(), QString("1"));
        type("Edit6", "3");
        press("Button17");
        QCOMPARE(line("Edit6")->text(), QString("3"));
        type("ComboBox9", "Zeny");
        type("ComboBox11", "+=");
        type("Edit15", "500");
        press("Button22");
        type("ComboBox10", "501");
        type("Edit10", "50");
        press("Button20");
        type("ComboBox10", "502");
        type("Edit10", "200");
        press("Button21");
        press("Button21");

        QCOMPARE(fileText(), QString("\twarp \"lakeside\",120,64;\r\n"
                                     "\tsave \"lakeside\",35,210;\r\n"
                                     "\tsave \"LAKESIDE\",35,210;\r\n"
                                     "\theal 500,0;\r\n"
                                     "\temote 3;\r\n"
                                     "\toption 8,1;\r\n"
                                     "\toption 8,0;\r\n"
                                     "\tjobchage 21;\r\n"
                                     "\tadditem 607,1;\r\n"
                                     "\tdelitem 607,3;\r\n"
                                     "\tset Zeny += 500,0;\r\n"
                                     ".tsg,,,0\tshop\t\t,501:50,502:200,502:200\r\n"));
        QCOMPARE(entriesOf(box("ComboBox6")), QStringList{"lakeside"});
        QCOMPARE(entriesOf(box("ComboBox5")), QStringList{"lakeside"});
        QCOMPARE(entriesOf(box("ComboBox7")), QStringList{"607"});
        QCOMPARE(entriesOf(box("ComboBox10")), (QStringList{"501", "502"}));
        QCOMPARE(entriesOf(box("ComboBox8")), QStringList{});
        QCOMPARE(line("Edit14")->text(), QString()); // an empty heal amount stays empty on screen
        QCOMPARE(box("ComboBox9")->count(), 6);
        QCOMPARE(box("ComboBox11")->count(), 9);
    }

    void extending_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("after");
        QTest::newRow("shop add on empty editor") << ""
                                                  << "Button21"
                                                  << ",502:200";
        QTest::newRow("shop add after blank line") << "h\n\n"
                                                   << "Button21"
                                                   << "h\n,502:200\n";
        QTest::newRow("menu add on empty editor") << ""
                                                  << "Button8"
                                                  << ",\"No\",L_No";
        QTest::newRow("menu end on empty editor") << ""
                                                  << "Button9"
                                                  << ";";
        QTest::newRow("menu end after blank line") << "\tmenu \"a\",b\n\n"
                                                   << "Button9"
                                                   << "\tmenu \"a\",b\n;\n";
        QTest::newRow("menu end on menu line") << "\tmenu \"a\",b\n"
                                               << "Button9"
                                               << "\tmenu \"a\",b;\n";
        QTest::newRow("menu end on typed text") << "\tmenu \"a\",b\nxy"
                                                << "Button9"
                                                << "\tmenu \"a\",b\nxy;";
    }
    void extending()
    {
        QFETCH(QString, before);
        QFETCH(QString, button);
        QFETCH(QString, after);
        memo->setPlainText(before);
        type("ComboBox10", "502");
        type("Edit10", "200");
        type("Edit9", "No");
        type("ComboBox2", "L_No");
        press(button);
        QCOMPARE(memo->toPlainText(), after);
    }

    void extending_longLastLine_losesNothing()
    {
        const QString longLine = "harbor01.tsg,130,90,4\tshop\tTool Dealer\t83" + QString(6000, u'9');
        memo->setPlainText("}\n" + longLine + "\n");
        type("ComboBox10", "502");
        type("Edit10", "200");
        press("Button21");
        QCOMPARE(memo->toPlainText(), "}\n" + longLine + ",502:200\n");
    }

    void rememberFailure_afterWrittenLine_keepsLine_dialogOnce_nextPressWorks()
    {
        box("ComboBox8")->setMaxCount(0);
        type("ComboBox8", "harbor01");
        DialogWatcher watcher;
        press("Button1");
        QTRY_COMPARE(watcher.seen().size(), 1);
        QCOMPARE(watcher.seen().first().text, QString("行を挿入できません."));
        QCOMPARE(watcher.seen().first().title, QString("Talewick (仮)"));
        QCOMPARE(memo->toPlainText(), QString("harbor01.tsg,,,0\tscript\t\t,{\n"));
        press("Button3");
        QCOMPARE(memo->toPlainText(), QString("harbor01.tsg,,,0\tscript\t\t,{\n\tnext;\n"));
        QCOMPARE(watcher.seen().size(), 1);
    }

    // Bug: a paste was cut at 32,767 characters without a word, and "mes" lost its tail.
    void fields_hundredThousandCharactersPasted_keptWhole_data()
    {
        QTest::addColumn<QString>("field");
        for (const char *name : {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "Edit7", "Edit8", "Edit9",
                                 "Edit10", "Edit11", "Edit12", "Edit13", "Edit14", "Edit15", "ComboBox8",
                                 "ComboBox6", "ComboBox2", "ComboBox5", "ComboBox7", "ComboBox10", "ComboBox9",
                                 "ComboBox11"})
            QTest::newRow(name) << name;
    }
    void fields_hundredThousandCharactersPasted_keptWhole()
    {
        QFETCH(QString, field);
        QWidget *widget = form->findChild<QWidget *>(field);
        QVERIFY(widget);
        showPageOf(widget);
        auto *box = qobject_cast<QComboBox *>(widget);
        QLineEdit *edit = box ? box->lineEdit() : static_cast<QLineEdit *>(widget);
        const QString text = QString(99'999, u'あ') + u'Z';
        QApplication::clipboard()->setText(text);
        widget->setFocus();
        edit->selectAll();
        QTest::keyClick(widget, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(edit->text().size(), text.size());
        QVERIFY(edit->text() == text);
    }

    void messageButton_hundredThousandCharacters_writesWholeLine()
    {
        QApplication::clipboard()->setText(QString(99'999, u'x') + u'Z');
        showPageOf(line("Edit5"));
        line("Edit5")->setFocus();
        QTest::keyClick(line("Edit5"), Qt::Key_V, Qt::ControlModifier);
        press("Button2");
        QVERIFY(fileText() == "\tmes \"" + QString(99'999, u'x') + "Z\";\r\n");
    }

    void countField_mouseClickEmpties_keyboardFocusDoesNot()
    {
        QLineEdit *count = line("Edit6");
        showPageOf(count);
        count->setFocus();
        QCOMPARE(count->text(), QString("個数"));
        QTest::mouseClick(count, Qt::LeftButton);
        QCOMPARE(count->text(), QString());
        QTest::keyClicks(count, "5");
        QTest::mouseClick(count, Qt::LeftButton);
        QCOMPARE(count->text(), QString());
        type("ComboBox7", "607");
        press("Button18");
        QCOMPARE(count->text(), QString("1"));
        QVERIFY(memo->toPlainText().endsWith("\tadditem 607,1;\n"));
    }

    void countField_placeholderWithBlank_isWrittenAsTyped()
    {
        type("Edit6", "個数 ");
        type("ComboBox7", "607");
        press("Button17");
        QCOMPARE(memo->toPlainText(), QString("\tdelitem 607,個数 ;\n"));
    }

    void buttons_freshStart_writeDefaults()
    {
        press("Button1");
        press("Button20");
        press("Button16");
        press("Button22");
        press("Button11");
        press("Button14");
        QCOMPARE(fileText(), QString(".tsg,,,0\tscript\t\t,{\r\n"
                                     ".tsg,,,0\tshop\t\t,:\r\n"
                                     "\theal 0,0;\r\n"
                                     "\tset Zeny = ,0;\r\n"
                                     "\temote 0;\r\n"
                                     "\tjobchage 0;\r\n"));
    }
};

int main(int argc, char *argv[])
{
    GuardedApplication application(argc, argv);
    GeneratorsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_generators.moc"
