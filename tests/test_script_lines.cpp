// Every line shape the buttons write, from the fields' texts, without a window.
#include "main_window/script_lines.h"

#include <QTest>

#include <stdexcept>

using namespace ScriptLines;

class ScriptLinesTest : public QObject
{
    Q_OBJECT

private slots:
    void lineBuilder_fieldValues_writesExactLine_data()
    {
        QTest::addColumn<QString>("built");
        QTest::addColumn<QString>("expected");

        QTest::newRow("Ferryman header") << npcHeader("harbor01", "120", "85", 6, "Ferryman", "56")
                                         << "harbor01.tsg,120,85,6\tscript\tFerryman\t56,{";
        QTest::newRow("Tool Dealer shop") << shopHeader("harbor01", "130", "90", 4, "Tool Dealer", "83", "501", "50")
                                          << "harbor01.tsg,130,90,4\tshop\tTool Dealer\t83,501:50";
        QTest::newRow("added pair") << withShopItem("harbor01.tsg,130,90,4\tshop\tTool Dealer\t83,501:50", "502", "200")
                                    << "harbor01.tsg,130,90,4\tshop\tTool Dealer\t83,501:50,502:200";
        QTest::newRow("header, nothing typed") << npcHeader("", "", "", 0, "", "") << ".tsg,,,0\tscript\t\t,{";
        QTest::newRow("shop, nothing typed") << shopHeader("", "", "", 0, "", "", "", "") << ".tsg,,,0\tshop\t\t,:";
        QTest::newRow("pair, nothing typed") << withShopItem("L", "", "") << "L,:";
        QTest::newRow("pair on empty buffer") << withShopItem("", "501", "50") << ",501:50";
        QTest::newRow("pair after NPC header")
            << withShopItem("m.tsg,1,2,0\tscript\tA\t1,{", "501", "50") << "m.tsg,1,2,0\tscript\tA\t1,{,501:50";
        QTest::newRow("facing up-right") << npcHeader("m", "1", "2", 7, "A", "1") << "m.tsg,1,2,7\tscript\tA\t1,{";
        QTest::newRow("fields as typed") << npcHeader("Harbor01", " 1", "a,b", 3, "\"Q\":{", "x")
                                         << "Harbor01.tsg, 1,a,b,3\tscript\t\"Q\":{\tx,{";

        QTest::newRow("message") << message("Hello there") << "\tmes \"Hello there\";";
        QTest::newRow("empty message") << message("") << "\tmes \"\";";
        QTest::newRow("name") << nameMessage("Mira") << "\tmes \"[Mira]\";";
        QTest::newRow("empty name") << nameMessage("") << "\tmes \"[]\";";
        QTest::newRow("next") << next() << "\tnext;";
        QTest::newRow("close") << close() << "\tclose;";
        QTest::newRow("script end") << scriptEnd() << "}";
        QTest::newRow("menu") << menu("Yes", "L_Yes") << "\tmenu \"Yes\",L_Yes";
        QTest::newRow("menu, nothing typed") << menu("", "") << "\tmenu \"\",";
        QTest::newRow("further choice") << withMenuChoice("\tmenu \"Yes\",L_Yes", "No", "L_No")
                                        << "\tmenu \"Yes\",L_Yes,\"No\",L_No";
        QTest::newRow("menu end") << withMenuEnd("\tmenu \"Yes\",L_Yes,\"No\",L_No")
                                  << "\tmenu \"Yes\",L_Yes,\"No\",L_No;";
        QTest::newRow("menu end twice") << withMenuEnd(withMenuEnd("\tmenu \"a\",b")) << "\tmenu \"a\",b;;";
        QTest::newRow("menu end on a message") << withMenuEnd("\tmes \"Hi\";") << "\tmes \"Hi\";;";
        QTest::newRow("choice after menu end")
            << withMenuChoice("\tmenu \"a\",b;", "c", "d") << "\tmenu \"a\",b;,\"c\",d";
        QTest::newRow("choice on empty buffer") << withMenuChoice("", "No", "L_No") << ",\"No\",L_No";
        QTest::newRow("menu end on blank line") << withMenuEnd("") << ";";
        QTest::newRow("label") << label("L_Yes") << "L_Yes:";

        QTest::newRow("warp") << warp("lakeside", "120", "64") << "\twarp \"lakeside\",120,64;";
        QTest::newRow("warp, nothing typed") << warp("", "", "") << "\twarp \"\",,;";
        QTest::newRow("save point") << savePoint("lakeside", "35", "210") << "\tsave \"lakeside\",35,210;";
        QTest::newRow("heal, SP empty") << heal("500", "") << "\theal 500,0;";
        QTest::newRow("heal, both empty") << heal("", "") << "\theal 0,0;";
        QTest::newRow("heal, blank HP is not empty") << heal(" ", "") << "\theal  ,0;";
        QTest::newRow("emote Heart") << emote(3) << "\temote 3;";
        QTest::newRow("emote last") << emote(47) << "\temote 47;";
        QTest::newRow("option Cart add") << optionAdd(3) << "\toption 8,1;";
        QTest::newRow("option Cart remove") << optionRemove(3) << "\toption 8,0;";
        QTest::newRow("option None remove") << optionRemove(0) << "\toption 0,0;";
        QTest::newRow("option Hiding add") << optionAdd(2) << "\toption 6,1;";
        QTest::newRow("option GM Hide add") << optionAdd(6) << "\toption 64,1;";
        QTest::newRow("job Mage") << jobChange(2) << "\tjobchage 2;";
        QTest::newRow("job first N/A") << jobChange(13) << "\tjobchage 13;";
        QTest::newRow("job second N/A") << jobChange(21) << "\tjobchage 21;";
        QTest::newRow("add item") << addItem("607", "1") << "\tadditem 607,1;";
        QTest::newRow("remove item") << removeItem("607", "3") << "\tdelitem 607,3;";
        QTest::newRow("set") << set("Zeny", "+=", "500") << "\tset Zeny += 500,0;";
        QTest::newRow("set, typed type and operator") << set("BaseExp", "%", "2") << "\tset BaseExp % 2,0;";
        QTest::newRow("set, empty value") << set("Zeny", "=", "") << "\tset Zeny = ,0;";
    }
    void lineBuilder_fieldValues_writesExactLine()
    {
        QFETCH(QString, built);
        QFETCH(QString, expected);
        QCOMPARE(built, expected);
    }

    void optionCode_everyEntry()
    {
        QList<int> codes;
        for (int option = 0; option < 7; ++option)
            codes << optionCode(option);
        QCOMPARE(codes, (QList<int>{0, 1, 6, 8, 16, 32, 64}));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, optionCode(7));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, optionCode(-1));
    }

    void itemCount_fieldText_settlesToCountWritten_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("count");
        QTest::newRow("placeholder") << "個数"
                                     << "1";
        QTest::newRow("empty") << ""
                               << "1";
        QTest::newRow("placeholder with trailing blank") << "個数 "
                                                         << "個数 ";
        QTest::newRow("typed number") << "3"
                                      << "3";
        QTest::newRow("not a number") << "many"
                                      << "many";
        QTest::newRow("blank") << " "
                               << " ";
    }
    void itemCount_fieldText_settlesToCountWritten()
    {
        QFETCH(QString, field);
        QFETCH(QString, count);
        QCOMPARE(ScriptLines::itemCount(field), count);
    }
};

QTEST_GUILESS_MAIN(ScriptLinesTest)
#include "test_script_lines.moc"
