// The generator buttons pressed in the real window, with the fields typed into.
#include "app/guarded_application.h"
#include "support/dialog_watcher.h"
#include "support/form_driver.h"

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
// The fixed lists of the list-only boxes and the preset boxes, in their order.
const QStringList kFacings{"上", "左上", "左", "左下", "下", "右下", "右", "右上"};
const QStringList kEmotions{"Exclamation mark [ /! ]",
                            "Question mark [ /? ]",
                            "Whistling [ /ho ]",
                            "Heart [ /lv ]",
                            "Sweat drop [ /swt]",
                            "Light bulb (Idea) [ /ic ]",
                            "Ticked off [ /an ]",
                            "Storm cloud [ /ag ]",
                            "Dollar sign [ /$ ]",
                            "Silence [ /... ]",
                            "Peace (2 fingers making a V) [ / ]",
                            "Fist [ / ]",
                            "Hand [ / ]",
                            "Waving a flag [ / ]",
                            "Big heart (In love) [ /lv2 ]",
                            "Thanks [ /thx ]",
                            "Worried (With a face) [ /wah ]",
                            "Sorry [ /sry ]",
                            "Laughing [ /heh ]",
                            "Worried [ /swt2 ]",
                            "Um... [ /hmm ]",
                            "Thumbs up [ /no1 ]",
                            "Looking around [ /?? ]",
                            "Oh my! [ /omg ]",
                            "Red O [ /oh ]",
                            "Red X [ /X ]",
                            "Help! [ /hp ]",
                            "Go! [ /go ]",
                            "Crying [ /sob ]",
                            "Evil laugh [ /gg ]",
                            "Kiss 1 [ /kis ]",
                            "Kiss 2 [ /kis2 ]",
                            "Angry [ /pif ]",
                            "Uh huh [ /ok ]",
                            "Red Silence (Stays) [ / ]",
                            "Red and White Flag [ / ]",
                            "Pissed [ /e1 ]",
                            "Mouth watering [ /e2 ]",
                            "Two hearts [ /e3 ]",
                            "Bleh [ /e4 ]",
                            "No no no [ /e5 ]",
                            "There there [ /e6 ]",
                            "SP [ /e7 ]",
                            "Hungry [ /e8 ]",
                            "Come here [ /e9 ]",
                            "Yawn [ /e10 ]",
                            "Congratulations! [ /e11 ]",
                            "HP [ /e12 ]"};
const QStringList kOptions{"None", "Sight", "Hiding and Cloaking (Skill)", "Cart", "Falcon", "Peco peco", "GM Hide"};
const int kOptionCodes[] = {0, 1, 6, 8, 16, 32, 64};
const QStringList kJobs{
    "Novice",   "Swordsman", "Mage",        "Archer",     "Acolyte",   "Merchant",         "Thief",
    "Knight",   "Priest",    "Wizard",      "Blacksmith", "Hunter",    "Assassin",         "N/A",
    "Crusader", "Monk",      "Sage",        "Rogue",      "Alchemist", "Bard (Male only)", "Dancer (Female only)",
    "N/A",      "Wedding",   "Super Novice"};
const QStringList kSetTypes{"Zeny", "Job", "BaseLevel", "JobLevel", "StatusPoint", "SkillPoint"};
const QStringList kOperators{"=", "+", "+=", "-", "-=", "*", "*=", "/", "/="};
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

    void extendingButton_onLastLine_extendsOnlyThatLine_data()
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
    void extendingButton_onLastLine_extendsOnlyThatLine()
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
        for (const char *name :
             {"Edit1",     "Edit2",     "Edit3",     "Edit4",     "Edit5",      "Edit6",     "Edit7",     "Edit8",
              "Edit9",     "Edit10",    "Edit11",    "Edit12",    "Edit13",     "Edit14",    "Edit15",    "ComboBox8",
              "ComboBox6", "ComboBox2", "ComboBox5", "ComboBox7", "ComboBox10", "ComboBox9", "ComboBox11"})
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

    void lists_everyEntryInOrder_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("facing") << "ComboBox1" << kFacings;
        QTest::newRow("emotion") << "emo_sel" << kEmotions;
        QTest::newRow("option") << "ComboBox3" << kOptions;
        QTest::newRow("job") << "ComboBox4" << kJobs;
        QTest::newRow("set type") << "ComboBox9" << kSetTypes;
        QTest::newRow("operator") << "ComboBox11" << kOperators;
    }
    void lists_everyEntryInOrder()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, entries);
        QCOMPARE(entriesOf(form->findChild<QComboBox *>(name)), entries);
    }

    // The number written is the entry's position (the option's code from it).
    void lists_everyEntryPicked_writesItsNumber_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("lines");
        QStringList facings, emotions, options, jobs;
        for (int i = 0; i < kFacings.size(); ++i)
            facings << QString(".tsg,,,%1\tscript\t\t,{").arg(i);
        for (int i = 0; i < kEmotions.size(); ++i)
            emotions << QString("\temote %1;").arg(i);
        for (int code : kOptionCodes)
            options << QString("\toption %1,1;").arg(code);
        for (int i = 0; i < kJobs.size(); ++i)
            jobs << QString("\tjobchage %1;").arg(i);
        QTest::newRow("facing") << "ComboBox1"
                                << "Button1" << facings;
        QTest::newRow("emotion") << "emo_sel"
                                 << "Button11" << emotions;
        QTest::newRow("option") << "ComboBox3"
                                << "Button13" << options;
        QTest::newRow("job") << "ComboBox4"
                             << "Button14" << jobs;
    }
    void lists_everyEntryPicked_writesItsNumber()
    {
        QFETCH(QString, list);
        QFETCH(QString, button);
        QFETCH(QStringList, lines);
        for (int i = 0; i < lines.size(); ++i) {
            pick(qPrintable(list), i);
            press(button);
        }
        QCOMPARE(fileText(), lines.join("\r\n") + "\r\n");
    }

    void remembering_newValue_addedAtEnd_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("line");
        QTest::newRow("menu label") << "ComboBox2"
                                    << "Button10"
                                    << "L_Far:";
        QTest::newRow("item taken") << "ComboBox7"
                                    << "Button17"
                                    << "\tdelitem L_Far,1;";
    }
    void remembering_newValue_addedAtEnd()
    {
        QFETCH(QString, box);
        QFETCH(QString, button);
        QFETCH(QString, line);
        QComboBox *remembered = form->findChild<QComboBox *>(box);
        remembered->addItems({"L_Near", "l_fa"}); // neither equals the new value as a whole
        type(qPrintable(box), "L_Far");
        press(button);
        QCOMPARE(fileText(), line + "\r\n");
        QCOMPARE(entriesOf(remembered), (QStringList{"L_Near", "l_fa", "L_Far"}));
        QCOMPARE(remembered->currentText(), QString("L_Far"));
    }

    // A list that cannot grow fails after the line is written: the line stays.
    void rememberFailure_afterExtendingOrItemButton_keepsLine_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::newRow("menu add") << "ComboBox2"
                                  << "Button8"
                                  << "\tmenu \"a\",b\n"
                                  << "\tmenu \"a\",b,\"No\",L_No\n";
        QTest::newRow("shop add") << "ComboBox10"
                                  << "Button21"
                                  << "h\n"
                                  << "h,L_No:200\n";
        QTest::newRow("item taken") << "ComboBox7"
                                    << "Button17"
                                    << ""
                                    << "\tdelitem L_No,1;\n";
        QTest::newRow("item given") << "ComboBox7"
                                    << "Button18"
                                    << ""
                                    << "\tadditem L_No,1;\n";
    }
    void rememberFailure_afterExtendingOrItemButton_keepsLine()
    {
        QFETCH(QString, box);
        QFETCH(QString, button);
        QFETCH(QString, before);
        QFETCH(QString, after);
        memo->setPlainText(before);
        type("Edit9", "No");
        type("Edit10", "200");
        form->findChild<QComboBox *>(box)->setMaxCount(0);
        type(qPrintable(box), "L_No");
        DialogWatcher watcher;
        press(button);
        QTRY_COMPARE(watcher.seen().size(), 1);
        QCOMPARE(watcher.seen().first().text, QString("行を挿入できません."));
        QCOMPARE(memo->toPlainText(), after);
        QCOMPARE(line("Edit6")->text(), button == "Button17" || button == "Button18" ? QString("1") : QString("個数"));
        QCOMPARE(form->findChild<QComboBox *>(box)->count(), 0);
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
