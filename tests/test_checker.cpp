// The script checker on small scripts, on the sample scripts, and an incremental
// store under random edits compared with a check from scratch.
#include "check_tool/check_report.h"
#include "checker/rules.h"
#include "checker/script_check.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

namespace {

// The '{' of this header is at line 1, column 24.
const QString kHeader = "m.tsg,1,2,0\tscript\tA\t1,{";

// An NPC holding `body`, which starts at line 2; the closing brace follows it.
QString npc(const QString &body)
{
    return kHeader + "\n" + body + "\n}";
}

// Diagnostics as the tool prints them, lines and columns from 1.
QString described(const Diagnostic &d)
{
    return QStringLiteral("%1:%2: %3: %4")
        .arg(d.line + 1)
        .arg(d.column + 1)
        .arg(d.severity == Diagnostic::Severity::Error ? QStringLiteral("error") : QStringLiteral("warning"))
        .arg(d.message);
}

QStringList described(const Diagnostics &found)
{
    QStringList lines;
    for (const Diagnostic &d : found)
        lines << described(d);
    return lines;
}

QString error(int line, int column, Rule rule, const QStringList &arguments = {})
{
    return QStringLiteral("%1:%2: error: %3").arg(line).arg(column).arg(Rules::message(rule, arguments));
}

QString warning(int line, int column, Rule rule, const QStringList &arguments = {})
{
    return QStringLiteral("%1:%2: warning: %3").arg(line).arg(column).arg(Rules::message(rule, arguments));
}

QString numbers(const QVector<int> &list)
{
    QStringList texts;
    for (const int number : list)
        texts << QString::number(number);
    return texts.join(u' ');
}

QString readUtf8(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("(cannot read %1)").arg(path);
    return QString::fromUtf8(file.readAll());
}

// Lines for random scripts: good and broken headers, braces, labels that collide
// in name and case, menus open, closed and continued, and statements.
const QStringList kPool = {
    kHeader,
    "m.tsg,3,4,5\tscript\tB\t2,{",
    "m.tsg,3,4,9\tscript\tB\t2,{",
    "m.tsg,1,2,0\tscript\tC\t1,",
    "m.tsg,1,2,0\tshop\tS\t1,501:50,502:20",
    "m.tsg,1,2,0 shop\tS\t1",
    "m.tsg,1,2,0\twarp\tW\t1,1,n.tsg,2,2",
    "m.tsg,1,2,0\twarp\tW\t1,{",
    "}",
    "\t}",
    "};",
    "{",
    "",
    "\t",
    "// shop by the gate",
    "\t// note",
    "L_A:",
    "L_a:",
    "L_B:",
    "\tL_B:",
    ":",
    "L_ABCDEFGHIJKLMNOPQRSTUV:",
    "\tmes \"[Mira]\";",
    "\tmes \"こんにちは\";",
    "\tmes \"open;",
    "\tmes Hi;",
    "\tmes \"😀\";",
    "\tnext;",
    "\tnext",
    "\tclose;",
    "\tclose // bye",
    "\tmenu \"Yes\",L_A,\"No\",L_B;",
    "\tmenu \"Yes\",L_A",
    "\tmenu \"Yes\",L_a,",
    "\tmenu \"Yes\",L_C;",
    "\tmenu \"x\",-;",
    "\tmenu \"Yes\",L_A,\"No\";",
    "\tmenu;",
    "\t\t\"No\",L_B;",
    "\t\t,\"No\",L_B",
    "\t\t\"More\",L_A,",
    "\t\t\"Odd\";",
    "\tgoto L_A;",
    "\tgoto L_Z;",
    "\twarp \"lakeside\",120,64;",
    "\twarp \"lakeside\",,64;",
    "\theal 500;",
    "\tset Zeny += 500,0;",
    "\tmes \"a\"; next;",
    "\tありがとう",
};

QStringList randomLines(QRandomGenerator &random, int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << kPool.at(int(random.bounded(quint32(kPool.size()))));
    return lines;
}

struct Edit
{
    int first;
    int removed;
    QStringList lines;
};

Edit randomEdit(QRandomGenerator &random, int lineCount)
{
    Edit edit;
    edit.first = int(random.bounded(quint32(lineCount + 1)));
    const int room = lineCount - edit.first;
    edit.removed = room == 0 ? 0 : int(random.bounded(quint32(qMin(room, 6) + 1)));
    // Keep the script between a few and about a hundred lines.
    const int most = lineCount > 100 ? edit.removed : 6;
    edit.lines = randomLines(random, int(random.bounded(quint32(most + 1))));
    return edit;
}

// Each line's diagnostics without its line number, to follow lines across an edit.
QVector<Diagnostics> perLine(const ScriptCheck &check)
{
    QVector<Diagnostics> lines;
    for (int i = 0; i < check.lineCount(); ++i) {
        Diagnostics found = check.diagnostics(i);
        for (Diagnostic &d : found)
            d.line = 0;
        lines.append(found);
    }
    return lines;
}

} // namespace

class CheckerTest : public QObject
{
    Q_OBJECT

private:
    void addScriptColumns()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("expected");
    }
    void compareWithCheck()
    {
        QFETCH(QString, script);
        QFETCH(QStringList, expected);
        QCOMPARE(described(checkScript(script)), expected);
    }

private slots:
    void blockMistakes_areReportedWhereTheBlockBreaks_data()
    {
        addScriptColumns();
        QTest::newRow("NPC never closed") << kHeader + "\n\tclose;" << QStringList{error(1, 24, Rule::UnclosedBlock)};
        QTest::newRow("NPC not closed before the next one")
            << kHeader + "\n\tclose;\n" + npc("\tclose;") << QStringList{error(1, 24, Rule::UnclosedBlock)};
        QTest::newRow("closing brace once too often")
            << npc("\tclose;") + "\n}" << QStringList{error(4, 1, Rule::StrayCloseBrace)};
        QTest::newRow("indented closing brace once too often")
            << npc("\tclose;") + "\n\t}" << QStringList{error(4, 2, Rule::StrayCloseBrace)};
        QTest::newRow("statement after the block")
            << npc("\tclose;") + "\n\tmes \"x\";" << QStringList{error(4, 2, Rule::OutsideBlock)};
        QTest::newRow("label after the block")
            << npc("\tmenu \"a\",L_A;") + "\nL_A:\n\tclose;"
            << QStringList{error(4, 1, Rule::OutsideBlock), error(5, 2, Rule::OutsideBlock)};
        QTest::newRow("statement before the first header")
            << "\tmes \"x\";\n" + npc("\tclose;") << QStringList{error(1, 2, Rule::OutsideBlock)};
        QTest::newRow("body under a shop")
            << "m.tsg,1,2,0\tshop\tS\t1,501:50\n\tmes \"x\";\n}"
            << QStringList{error(2, 2, Rule::OutsideBlock), error(3, 1, Rule::StrayCloseBrace)};
        QTest::newRow("script header without its brace")
            << "m.tsg,1,2,0\tscript\tA\t1,\n\tclose;\n}"
            << QStringList{error(1, 23, Rule::ScriptWithoutBrace), error(2, 2, Rule::OutsideBlock),
                           error(3, 1, Rule::StrayCloseBrace)};
        QTest::newRow("closed with a semicolon")
            << kHeader + "\n\tclose;\n};"
            << QStringList{error(1, 24, Rule::UnclosedBlock), error(3, 1, Rule::UnreadableLine)};
    }
    void blockMistakes_areReportedWhereTheBlockBreaks() { compareWithCheck(); }

    void statementMistakes_areReportedAtTheStatement_data()
    {
        addScriptColumns();
        const auto row = [](const char *name, const QString &line, const QString &expected) {
            QTest::newRow(name) << npc(line) << QStringList{expected};
        };
        row("mes without semicolon", "\tmes \"Hi\"", error(2, 9, Rule::MissingSemicolon));
        row("next without semicolon", "\tnext", error(2, 5, Rule::MissingSemicolon));
        row("semicolon missing before a comment", "\tclose // bye", error(2, 6, Rule::MissingSemicolon));
        row("unknown command without semicolon", "\tcutin \"x\",2", error(2, 12, Rule::MissingSemicolon));
        row("string left open", "\tmes \"Hi;", error(2, 6, Rule::OpenString));
        row("string left open in a menu", "\tmenu \"Yes,L_Yes;", error(2, 7, Rule::OpenString));
        row("warp without its y", "\twarp \"lakeside\",120;", error(2, 2, Rule::ArgumentCount, {"warp", "3", "2"}));
        row("next with an argument", "\tnext 1;", error(2, 2, Rule::ArgumentCount, {"next", "0", "1"}));
        row("heal with one value", "\theal 500;", error(2, 2, Rule::ArgumentCount, {"heal", "2", "1"}));
        row("mes with two strings", "\tmes \"a\",\"b\";", error(2, 2, Rule::ArgumentCount, {"mes", "1", "2"}));
        row("goto without its label", "\tgoto;", error(2, 2, Rule::ArgumentCount, {"goto", "1", "0"}));
        row("empty first argument", "\theal ,0;", error(2, 7, Rule::EmptyArgument, {"heal", "1"}));
        row("empty middle argument", "\twarp \"lakeside\",,64;", error(2, 18, Rule::EmptyArgument, {"warp", "2"}));
        row("empty last argument", "\tsave \"lakeside\",35,;", error(2, 21, Rule::EmptyArgument, {"save", "3"}));
        row("message without quotes", "\tmes Hello;", error(2, 6, Rule::NotAString, {"mes", "1"}));
        row("map without quotes", "\twarp lakeside,120,64;", error(2, 7, Rule::NotAString, {"warp", "1"}));
        row("text after the closing quote", "\tmes \"Hello\"!;", error(2, 6, Rule::NotAString, {"mes", "1"}));
        // Its label still counts as jumped to: the line most likely lost its "menu".
        QTest::newRow("choice line without a menu")
            << npc("\t\"No\",L_No;")
            << QStringList{error(2, 2, Rule::StrayContinuation), error(2, 7, Rule::UndefinedLabel, {"L_No"})};
        row("command in capitals", "\tMes \"Hi\";", error(2, 2, Rule::CommandCase, {"Mes", "mes"}));
        row("line with no command", "\tありがとう", error(2, 2, Rule::UnreadableLine));
        row("opening brace on its own", "\t{", error(2, 2, Rule::UnreadableLine));
    }
    void statementMistakes_areReportedAtTheStatement() { compareWithCheck(); }

    void menuMistakes_areReported_data()
    {
        addScriptColumns();
        QTest::newRow("menuLine_withoutSemicolonBeforeLabel")
            << npc("\tmenu \"Yes\",L_Yes,\"No\",L_No\nL_Yes:\n\tclose;\nL_No:\n\tclose;")
            << QStringList{error(2, 27, Rule::MenuNotClosed)};
        QTest::newRow("left open before the closing brace")
            << npc("\tmenu \"Yes\",-") << QStringList{error(2, 13, Rule::MenuNotClosed)};
        QTest::newRow("left open before a statement")
            << npc("\tmenu \"Yes\",-\n\tclose;") << QStringList{error(2, 13, Rule::MenuNotClosed)};
        QTest::newRow("left open before the next NPC")
            << npc("\tmenu \"Yes\",-").chopped(1) + npc("\tclose;")
            << QStringList{error(1, 24, Rule::UnclosedBlock), error(2, 13, Rule::MenuNotClosed)};
        QTest::newRow("left open at the end of the file")
            << kHeader + "\n\tmenu \"Yes\",-"
            << QStringList{error(1, 24, Rule::UnclosedBlock), error(2, 13, Rule::MenuNotClosed)};
        // The ";" belongs after the last choice, so that is where it is missed.
        QTest::newRow("continued menu left open")
            << npc("\tmenu \"Yes\",-,\n\t\t\"No\",-") << QStringList{error(3, 8, Rule::MenuNotClosed)};
        QTest::newRow("choice without its label")
            << npc("\tmenu \"Yes\",L_Yes,\"No\";\nL_Yes:\n\tclose;") << QStringList{error(2, 19, Rule::MenuPairs)};
        QTest::newRow("label where the text belongs")
            << npc("\tmenu Yes,L_Yes;\nL_Yes:\n\tclose;") << QStringList{error(2, 7, Rule::MenuPairs)};
        QTest::newRow("choice with an empty label")
            << npc("\tmenu \"Yes\",;") << QStringList{error(2, 13, Rule::EmptyLabel)};
        QTest::newRow("menu without choices") << npc("\tmenu;") << QStringList{error(2, 2, Rule::MenuPairs)};
        QTest::newRow("continued choice without its label")
            << npc("\tmenu \"Yes\",L_Yes\n\t\t\"No\";\nL_Yes:\n\tclose;") << QStringList{error(3, 3, Rule::MenuPairs)};
        QTest::newRow("choice after the menu was closed")
            << npc("\tmenu \"Yes\",L_Yes;\n\t\t\"No\",L_Yes;\nL_Yes:\n\tclose;")
            << QStringList{error(3, 3, Rule::StrayContinuation)};
    }
    void menuMistakes_areReported() { compareWithCheck(); }

    void labelMistakes_areReported_data()
    {
        addScriptColumns();
        QTest::newRow("jump to a missing label")
            << npc("\tmenu \"Go\",L_Go;") << QStringList{error(2, 12, Rule::UndefinedLabel, {"L_Go"})};
        QTest::newRow("goto a missing label")
            << npc("\tgoto L_End;") << QStringList{error(2, 7, Rule::UndefinedLabel, {"L_End"})};
        QTest::newRow("label differs only in case")
            << npc("\tmenu \"Go\",L_go;\nL_Go:\n\tclose;")
            << QStringList{error(2, 12, Rule::UndefinedLabelOtherCase, {"L_go", "L_Go"}),
                           warning(3, 1, Rule::UnusedLabel, {"L_Go"})};
        QTest::newRow("label defined twice")
            << npc("\tmenu \"Go\",L_Go;\nL_Go:\n\tclose;\nL_Go:\n\tclose;")
            << QStringList{error(3, 1, Rule::DuplicateLabel, {"L_Go"}), error(5, 1, Rule::DuplicateLabel, {"L_Go"})};
        QTest::newRow("label defined again, indented")
            << npc("\tmenu \"Go\",L_Go;\nL_Go:\n\tL_Go:\n\tclose;")
            << QStringList{error(3, 1, Rule::DuplicateLabel, {"L_Go"}), error(4, 2, Rule::DuplicateLabel, {"L_Go"})};
        QTest::newRow("24-byte label")
            << npc("\tmenu \"Go\",L_abcdefghijklmnopqrstuv;\nL_abcdefghijklmnopqrstuv:\n\tclose;")
            << QStringList{error(3, 1, Rule::LabelTooLong, {"L_abcdefghijklmnopqrstuv", "24", "23"})};
        QTest::newRow("12 kanji are 24 bytes")
            << npc("\tmenu \"道\",武器と防具の店へ行く道順;\n武器と防具の店へ行く道順:\n\tclose;")
            << QStringList{error(3, 1, Rule::LabelTooLong, {"武器と防具の店へ行く道順", "24", "23"})};
        QTest::newRow("label nobody jumps to")
            << npc("L_Old:\n\tclose;") << QStringList{warning(2, 1, Rule::UnusedLabel, {"L_Old"})};
        QTest::newRow("label of another NPC")
            << npc("L_Go:\n\tclose;") + "\n" + npc("\tmenu \"Go\",L_Go;")
            << QStringList{warning(2, 1, Rule::UnusedLabel, {"L_Go"}), error(6, 12, Rule::UndefinedLabel, {"L_Go"})};
        QTest::newRow("label without a name") << npc(":\n\tclose;") << QStringList{error(2, 1, Rule::EmptyLabel)};
    }
    void labelMistakes_areReported() { compareWithCheck(); }

    void headerMistakes_areReported_data()
    {
        addScriptColumns();
        const auto row = [](const char *name, const QString &script, const QStringList &expected) {
            QTest::newRow(name) << script << expected;
        };
        row("space after the place", "m.tsg,1,2,0 shop\tS\t1,501:50", {error(1, 12, Rule::SpaceForTab)});
        row("space after the type", "m.tsg,1,2,0\tshop S\t1,501:50", {error(1, 17, Rule::SpaceForTab)});
        row("ideographic space after the type", "m.tsg,1,2,0\tshop\u3000S\t1,501:50",
            {error(1, 17, Rule::SpaceForTab)});
        row("spaces everywhere", "m.tsg,1,2,0 shop S 1,501:50",
            {error(1, 1, Rule::HeaderFieldCount, {"3"}), error(1, 12, Rule::SpaceForTab),
             error(1, 17, Rule::SpaceForTab)});
        row("place alone", "m.tsg,1,2,0", {error(1, 1, Rule::HeaderFieldCount, {"1"})});
        row("five fields", "m.tsg,1,2,0\tscript\tA\tB\t1,{\n}", {error(1, 1, Rule::HeaderFieldCount, {"5"})});
        row("facing 8", "m.tsg,1,2,8\tscript\tA\t1,{\n}", {error(1, 11, Rule::FacingRange)});
        row("letter in x", "m.tsg,1O,2,0\tshop\tS\t1,501:50", {error(1, 7, Rule::NotANumber, {"x座標"})});
        row("negative y", "m.tsg,1,-2,0\tshop\tS\t1,501:50", {error(1, 9, Rule::NotANumber, {"y座標"})});
        row("facing left empty", "m.tsg,1,2,\tshop\tS\t1,501:50", {error(1, 11, Rule::NotANumber, {"向き"})});
        row("map name missing", ".tsg,1,2,0\tshop\tS\t1,501:50", {error(1, 1, Rule::EmptyMap)});
        row("map without .tsg", "m,1,2,0\tscript\tA\t1,{\n}", {error(1, 1, Rule::HeaderPlace)});
        row("coordinate missing", "m.tsg,1,2\tshop\tS\t1,501:50", {error(1, 1, Rule::HeaderPlace)});
        row("empty name", "m.tsg,1,2,0\tshop\t\t1,501:50", {error(1, 18, Rule::EmptyName)});
        row("blank name", "m.tsg,1,2,0\tshop\t \t1,501:50", {error(1, 18, Rule::EmptyName)});
        row("script header without brace", "m.tsg,1,2,0\tscript\tA\t1", {error(1, 22, Rule::ScriptWithoutBrace)});
        row("picture not a number", "m.tsg,1,2,0\tscript\tA\tx,{\n}", {error(1, 22, Rule::NotANumber, {"NPC画像"})});
        row("shop without items", "m.tsg,1,2,0\tshop\tS\t1", {error(1, 20, Rule::ShopItem)});
        row("item without price", "m.tsg,1,2,0\tshop\tS\t1,501", {error(1, 22, Rule::ShopItem)});
        row("price with a letter", "m.tsg,1,2,0\tshop\tS\t1,501:5O", {error(1, 26, Rule::NotANumber, {"値段"})});
        row("item named, not numbered", "m.tsg,1,2,0\tshop\tS\t1,Potion:50",
            {error(1, 22, Rule::NotANumber, {"アイテムID"})});
        row("comma after the last item", "m.tsg,1,2,0\tshop\tS\t1,501:50,", {error(1, 29, Rule::ShopItem)});
        row("blank inside the place", "harbor01.tsg, 120,85,6\tscript\tA\t1,{\n}",
            {error(1, 14, Rule::NotANumber, {"x座標"})});
        row("type in capitals", "m.tsg,1,2,0\tScript\tA\t1,{\n}",
            {error(1, 13, Rule::HeaderType, {"Script", "script"})});
        row("type with two letters swapped", "m.tsg,1,2,0\tscirpt\tA\t1,{\n}",
            {error(1, 13, Rule::HeaderType, {"scirpt", "script"})});
        row("type missing a letter", "m.tsg,1,2,0\tshp\tS\t1,501:50",
            {error(1, 13, Rule::HeaderType, {"shp", "shop"})});
        row("facing 9 behind a comment", "m.tsg,1,2,9\tscript\tA\t1,{ // ferry\n}", {error(1, 11, Rule::FacingRange)});
    }
    void headerMistakes_areReported() { compareWithCheck(); }

    void unencodableCharacter_isReportedWithItsCode_data()
    {
        addScriptColumns();
        QTest::newRow("emoji") << npc("\tmes \"😀\";") << QStringList{error(2, 7, Rule::Unencodable, {"😀", "U+1F600"})};
        QTest::newRow("two emoji") << npc("\tmes \"😀🎉\";")
                                   << QStringList{error(2, 7, Rule::Unencodable, {"😀", "U+1F600"}),
                                                  error(2, 9, Rule::Unencodable, {"🎉", "U+1F389"})};
        QTest::newRow("Hangul") << npc("\tmes \"안녕\";")
                                << QStringList{error(2, 7, Rule::Unencodable, {"안", "U+C548"}),
                                               error(2, 8, Rule::Unencodable, {"녕", "U+B155"})};
        QTest::newRow("accent in a name")
            << "m.tsg,1,2,0\tscript\tCafé\t1,{\n}" << QStringList{error(1, 23, Rule::Unencodable, {"é", "U+00E9"})};
        QTest::newRow("in a comment, which is saved too")
            << npc("\tclose; // ☃") << QStringList{error(2, 12, Rule::Unencodable, {"☃", "U+2603"})};
    }
    void unencodableCharacter_isReportedWithItsCode() { compareWithCheck(); }

    // What Japanese input gives for a character the code page holds under a twin
    // code, and the code page's own extensions, are saved without loss.
    void codePageCharacters_areAccepted_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("wave dash U+301C") << "10時〜12時";
        QTest::newRow("fullwidth tilde") << "10時～12時";
        QTest::newRow("minus sign U+2212") << "−5";
        QTest::newRow("fullwidth hyphen-minus") << "－5";
        QTest::newRow("double vertical line U+2016") << "‖";
        QTest::newRow("cent, pound, not") << "¢£¬";
        QTest::newRow("em dash U+2014") << "—";
        QTest::newRow("broken bar") << "¦";
        QTest::newRow("circled digits and roman numerals") << "①②Ⅲ㈱";
        QTest::newRow("IBM extension kanji") << "髙﨑";
        QTest::newRow("half-width katakana") << "ｱｲｳｴｵ";
    }
    void codePageCharacters_areAccepted()
    {
        QFETCH(QString, text);
        QCOMPARE(described(checkScript(npc("\tmes \"" + text + "\";"))), QStringList());
    }

    void validScript_givesNoDiagnostic_data()
    {
        QTest::addColumn<QString>("script");
        const auto row = [](const char *name, const QString &script) { QTest::newRow(name) << script; };
        row("every line the buttons write",
            "harbor01.tsg,120,85,6\tscript\tFerryman\t56,{\n"
            "\tmes \"[Ferryman]\";\n\tmes \"Where to?\";\n\tnext;\n"
            "\tmenu \"Yes\",L_Yes,\"No\",L_No;\n"
            "L_Yes:\n"
            "\twarp \"lakeside\",120,64;\n\tsave \"lakeside\",35,210;\n\theal 500,0;\n\temote 3;\n\toption 8,1;\n"
            "\tjobchage 2;\n\tadditem 607,1;\n\tdelitem 607,3;\n\tset Zeny += 500,0;\n\tclose;\n"
            "L_No:\n\tclose;\n"
            "}\n"
            "harbor01.tsg,130,90,4\tshop\tTool Dealer\t83,501:50,502:200\n");
        row("menu continued on the next line",
            npc("\tmenu \"Yes\",L_Yes\n\t\t\"No\",L_No;\nL_Yes:\n\tclose;\nL_No:\n\tclose;"));
        row("menu continued after a trailing comma",
            npc("\tmenu \"Yes\",L_Yes,\n\t\t\"No\",L_No;\nL_Yes:\n\tclose;\nL_No:\n\tclose;"));
        row("menu continued with a leading comma",
            npc("\tmenu \"Yes\",L_Yes\n\t\t,\"No\",L_No;\nL_Yes:\n\tclose;\nL_No:\n\tclose;"));
        row("menu over several lines with a comment and a blank line between",
            npc("\tmenu \"Yes\",L_Yes,\n\t\t// the other choice\n\n\t\t\"No\",L_No,\n\t\t\"Later\",-;\n"
                "L_Yes:\n\tclose;\nL_No:\n\tclose;"));
        row("choice that ends the talk", npc("\tmenu \"Bye\",-;\n\tclose;"));
        row("comments", "// Ferryman at the pier\n" + npc("\t// greet first\n\tmes \"Hi\"; // short\n\tclose;") +
                            "\n// end of the harbor");
        row("comments that name a header word", "// script for the ferry\n// shop by the gate\n" + npc("\tclose;"));
        row("comment marks inside a string", npc("\tmes \"http://lakeside\";"));
        row("comma and semicolon inside a string", npc("\tmes \"はい、そうです; たぶん,ね\";"));
        row("Japanese labels", npc("\tmenu \"はい\",はい,\"いいえ\",L_いいえ;\nはい:\n\tclose;\nL_いいえ:\n\tclose;"));
        row("labels of 23 bytes",
            npc("\tmenu \"a\",L_abcdefghijklmnopqrstu,\"b\",L_ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅ,\"c\",L武器と防具の店へ行く道;\n"
                "L_abcdefghijklmnopqrstu:\nL_ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅ:\nL武器と防具の店へ行く道:\n\tclose;"));
        row("labels differing in case, both used",
            npc("\tmenu \"a\",L_Go,\"b\",L_GO;\nL_Go:\n\tclose;\nL_GO:\n\tclose;"));
        row("indented label", npc("\tmenu \"a\",L_Go;\n\tL_Go:\n\tclose;"));
        row("goto back to the top", npc("L_Top:\n\tmes \"again\";\n\tnext;\n\tgoto L_Top;"));
        row("same label in two NPCs",
            npc("\tmenu \"a\",L_Go;\nL_Go:\n\tclose;") + "\n" + npc("\tmenu \"b\",L_Go;\nL_Go:\n\tclose;"));
        row("brace after a space", "m.tsg,1,2,0\tscript\tA\t1, {\n}");
        row("goto inside a condition", npc("\tif (Zeny < 500) goto L_Poor;\n\tclose;\nL_Poor:\n\tclose;"));
        row("menu ended by a semicolon on its own line", npc("\tmenu \"Yes\",L_Yes\n\t;\nL_Yes:\n\tclose;"));
        row("blanks around the picture and the items", "m.tsg,1,2,0\tshop\tS\t1 , 501:50 ,502 : 20");
        row("tab after the brace", "m.tsg,1,2,0\tscript\tA\t1,{\t\n}");
        row("comment after a header", "m.tsg,1,2,0\tscript\tA\t1,{ // the ferry\n\tclose;\n}");
        row("facing 7 at the map's corner", "m.tsg,0,0,7\tscript\tA\t1,{\n}");
        row("name with spaces and Japanese", "harbor01.tsg,1,2,0\tscript\tOld 渡し守 Sam\t56,{\n}");
        row("shop leaving a price to the server", "m.tsg,1,2,0\tshop\tS\t1,501:-1,502:20");
        row("blank lines", "\n  \n" + kHeader + "\n\t\n\u3000\n}\n");
        row("commands the checker does not know", npc("\tcutin \"npc01\",2;\n\tmes2 \"x\";"));
        row("two statements on one line", npc("\tmes \"a\"; next;"));
        row("set with several operators", npc("\tset Zeny += 500,0;\n\tset BaseExp % 2,0;\n\tset Zeny = 0,0;"));
        row("header kinds the buttons do not write",
            "m.tsg,1,2,0\twarp\tW1\t1,1,lake.tsg,5,5\nm.tsg,5,5,0\tmonster\tPoring\t1002,5");
        row("empty script", "");
    }
    void validScript_givesNoDiagnostic()
    {
        QFETCH(QString, script);
        QCOMPARE(described(checkScript(script)), QStringList());
    }

    void message_namesWhatIsWrong_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("named");
        QTest::newRow("argument count") << npc("\twarp \"lakeside\",120;") << QStringList{"「warp」", "3個", "2個"};
        QTest::newRow("empty argument") << npc("\theal ,0;") << QStringList{"「heal」", "1個目"};
        QTest::newRow("not a string") << npc("\tmes Hello;") << QStringList{"「mes」", "1個目"};
        QTest::newRow("undefined label") << npc("\tmenu \"Go\",L_Go;") << QStringList{"「L_Go」"};
        QTest::newRow("label in other case")
            << npc("\tmenu \"Go\",L_go;\nL_Go:\n\tclose;") << QStringList{"「L_go」", "「L_Go」"};
        QTest::newRow("duplicate label") << npc("\tmenu \"Go\",L_Go;\nL_Go:\nL_Go:\n\tclose;")
                                         << QStringList{"「L_Go」"};
        QTest::newRow("long label") << npc("\tmenu \"Go\",L_abcdefghijklmnopqrstuv;\nL_abcdefghijklmnopqrstuv:")
                                    << QStringList{"「L_abcdefghijklmnopqrstuv」", "24バイト"};
        QTest::newRow("unused label") << npc("L_Old:") << QStringList{"「L_Old」"};
        QTest::newRow("header fields") << "m.tsg,1O,2,0\tshop\tS\tP,Potion:5O"
                                       << QStringList{"x座標", "NPC画像", "アイテムID", "値段"};
        QTest::newRow("character") << npc("\tmes \"😀\";") << QStringList{"「😀」", "U+1F600"};
        // A label may hold "%2"; it must come out as written, not be filled in again.
        QTest::newRow("label holding a placeholder")
            << npc("\tmenu \"a\",L_%2;\nl_%2:\n\tclose;") << QStringList{"「L_%2」", "「l_%2」"};
    }
    void message_namesWhatIsWrong()
    {
        QFETCH(QString, script);
        QFETCH(QStringList, named);
        const QString messages = described(checkScript(script)).join(u'\n');
        for (const QString &name : named)
            QVERIFY2(messages.contains(name), qPrintable(name + " not in:\n" + messages));
    }

    void diagnostic_underlinesTheMistake_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("length");
        QTest::newRow("label jumped to") << npc("\tmenu \"Go\",L_Go;") << 2 << 12 << 4;
        QTest::newRow("command with wrong arguments") << npc("\tjobchage;") << 2 << 2 << 8;
        QTest::newRow("open string up to the end") << npc("\tmes \"Hi;") << 2 << 6 << 4;
        QTest::newRow("emoji, two code units") << npc("\tmes \"😀\";") << 2 << 7 << 2;
        QTest::newRow("two blanks for a tab") << "m.tsg,1,2,0  shop\tS\t1,501:50" << 1 << 12 << 2;
        QTest::newRow("header with a wrong field count") << "m.tsg,1,2,0\tscript\tA\tB\t1,{\n}" << 1 << 1 << 26;
        QTest::newRow("unreadable line") << npc("\tありがとう") << 2 << 2 << 5;
        QTest::newRow("unclosed brace") << kHeader << 1 << 24 << 1;
    }
    void diagnostic_underlinesTheMistake()
    {
        QFETCH(QString, script);
        QFETCH(int, line);
        QFETCH(int, column);
        QFETCH(int, length);
        const Diagnostics found = checkScript(script);
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.front().line + 1, line);
        QCOMPARE(found.front().column + 1, column);
        QCOMPARE(found.front().length, length);
    }

    // Line numbers here count from 0, as replaceLines does.
    void replaceLines_returnsTheOtherLinesItChanged_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("removed");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QList<int>>("changed");
        const QString menu = "\tmenu \"Go\",L_Go;";
        const QStringList withLabel{kHeader, menu, "L_Go:", "\tclose;", "}"};
        QTest::newRow("defining the missing label") << QStringList{kHeader, menu, "\tclose;", "}"} << 3 << 0
                                                    << QStringList{"L_Go:", "\tclose;"} << QList<int>{1};
        QTest::newRow("renaming the label a menu jumps to")
            << withLabel << 2 << 1 << QStringList{"L_Stop:"} << QList<int>{1};
        QTest::newRow("removing the closing brace")
            << QStringList{kHeader, "\tclose;", "}"} << 2 << 1 << QStringList() << QList<int>{0};
        QTest::newRow("rewording a message")
            << QStringList{kHeader, "\tmes \"a\";", "}"} << 1 << 1 << QStringList{"\tmes \"b\";"} << QList<int>();
        QTest::newRow("dropping a semicolon")
            << QStringList{kHeader, "\tmes \"a\";", "}"} << 1 << 1 << QStringList{"\tmes \"a\""} << QList<int>();
        QTest::newRow("splitting an NPC with a new header")
            << QStringList{kHeader, menu, "\tclose;", "L_Go:", "\tclose;", "}"} << 3 << 0 << QStringList{kHeader}
            << QList<int>{0, 1, 4};
        QTest::newRow("joining two NPCs by removing a header")
            << QStringList{kHeader, "L_Go:", "\tclose;", "}", kHeader, menu, "}"} << 4 << 1 << QStringList()
            << QList<int>{1, 4, 5};
        QTest::newRow("an edit in one NPC leaves the next alone")
            << withLabel + withLabel << 2 << 1 << QStringList{"L_Gone:"} << QList<int>{1};
        QTest::newRow("continuing an open menu") << QStringList{kHeader, "\tmenu \"Go\",L_Go", "L_Go:", "\tclose;", "}"}
                                                 << 2 << 0 << QStringList{"\t\t\"Stop\",-;"} << QList<int>{1};
        QTest::newRow("opening a string hides a label's use")
            << withLabel << 1 << 1 << QStringList{"\tmenu \"Go,L_Go;"} << QList<int>{2};
    }
    void replaceLines_returnsTheOtherLinesItChanged()
    {
        QFETCH(QStringList, before);
        QFETCH(int, first);
        QFETCH(int, removed);
        QFETCH(QStringList, lines);
        QFETCH(QList<int>, changed);
        ScriptCheck check;
        check.replaceLines(0, 0, before);
        QList<int> returned = check.replaceLines(first, removed, lines);
        std::sort(returned.begin(), returned.end());
        QCOMPARE(returned, changed);
    }

    // After every edit the store holds what a check from scratch finds, and it names
    // every line outside the edit whose diagnostics changed, and only those.
    void randomEdits_agreeWithAFullCheckAndNameWhatChanged_data()
    {
        QTest::addColumn<quint32>("seed");
        for (const quint32 seed : {1u, 2u, 3u, 4u})
            QTest::addRow("seed %u", seed) << seed;
    }
    void randomEdits_agreeWithAFullCheckAndNameWhatChanged()
    {
        QFETCH(quint32, seed);
        QRandomGenerator random(seed);
        ScriptCheck check;
        QStringList text = randomLines(random, 40);
        check.replaceLines(0, 0, text);
        for (int step = 0; step < 1000; ++step) {
            const Edit edit = randomEdit(random, check.lineCount());
            const QVector<Diagnostics> before = perLine(check);
            QVector<int> returned = check.replaceLines(edit.first, edit.removed, edit.lines);
            text.remove(edit.first, edit.removed);
            for (int i = 0; i < edit.lines.size(); ++i)
                text.insert(edit.first + i, edit.lines.at(i));
            const QString where = QStringLiteral("step %1, replacing %2 lines at %3 with %4 in:\n%5")
                                      .arg(step)
                                      .arg(edit.removed)
                                      .arg(edit.first)
                                      .arg(edit.lines.join(u'|'), text.join(u'\n'));

            QCOMPARE(check.lineCount(), int(text.size()));
            const Diagnostics full = checkScript(text.join(u'\n'));
            if (check.allDiagnostics() != full)
                QFAIL(qPrintable(where + "\nincremental:\n" + described(check.allDiagnostics()).join(u'\n') +
                                 "\nfull:\n" + described(full).join(u'\n')));

            const QVector<Diagnostics> after = perLine(check);
            const int end = edit.first + int(edit.lines.size());
            QVector<int> changed;
            for (int line = 0; line < after.size(); ++line) {
                if (line >= edit.first && line < end)
                    continue;
                const int old = line < edit.first ? line : line - end + edit.first + edit.removed;
                if (after.at(line) != before.at(old))
                    changed.append(line);
            }
            std::sort(returned.begin(), returned.end());
            if (returned != changed)
                QFAIL(qPrintable(where + "\nreturned: " + numbers(returned) + "\nchanged: " + numbers(changed)));
        }
    }

    void checkBytes_splitsAtEveryLineEnding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("report");
        const QString missing = "t.txt:3:6: error: 命令の終わりに「;」がありません\n";
        const QByteArray header = kHeader.toLatin1();
        QTest::newRow("LF") << header + "\n\tmes \"a\";\n\tclose\n}\n" << missing;
        QTest::newRow("CR LF") << header + "\r\n\tmes \"a\";\r\n\tclose\r\n}\r\n" << missing;
        QTest::newRow("CR") << header + "\r\tmes \"a\";\r\tclose\r}\r" << missing;
        QTest::newRow("mixed") << header + "\r\n\tmes \"a\";\n\tclose\r}" << missing;
        QTest::newRow("empty lines") << header + "\r\n\r\n\tclose\r\n\r\n}" << missing;
        QTest::newRow("no line break at the end")
            << header + "\r\n\tmes \"a\";\r\n\tclose"
            << "t.txt:1:24: error: この「{」を閉じる「}」がありません\n" + missing;
    }
    void checkBytes_splitsAtEveryLineEnding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, report);
        const CheckReport::FileResult result = CheckReport::checkBytes(QStringLiteral("t.txt"), bytes);
        QCOMPARE(result.report, report);
        QCOMPARE(result.errors, int(report.count(u'\n')));
        QCOMPARE(result.warnings, 0);
    }

    void checkBytes_tooManyLines_isRefusedUnchecked()
    {
        const CheckReport::FileResult result =
            CheckReport::checkBytes(QStringLiteral("t.txt"), QByteArray(CheckReport::kMaxLines, '\n'));
        QVERIFY(result.failure.contains("t.txt"));
        QCOMPARE(result.report, QString());
    }

    void undecodableBytes_areReportedFirstOnTheirLine_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("report");
        const QByteArray header = kHeader.toLatin1() + "\r\n";
        const QString undecodable = "t.txt:2:1: error: Shift_JIS として読めないバイトがあります\n";
        QTest::newRow("lead byte without its trail byte") << header + "\tmes \"\x82\";\r\n}\r\n" << undecodable;
        QTest::newRow("byte the code page leaves unused")
            << header + "\tmes \"a\xff\"\r\n}\r\n"
            << undecodable + "t.txt:2:9: error: 命令の終わりに「;」がありません\n";
    }
    void undecodableBytes_areReportedFirstOnTheirLine()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, report);
        QCOMPARE(CheckReport::checkBytes(QStringLiteral("t.txt"), bytes).report, report);
    }

    void formatDiagnostic_countsCharacters_data()
    {
        QTest::addColumn<QString>("lineText");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("formatted");
        QTest::newRow("tab counts one") << "\tmes" << 1 << "t.txt:5:2: warning: x";
        QTest::newRow("at an emoji") << "\tmes \"😀\"" << 6 << "t.txt:5:7: warning: x";
        QTest::newRow("after an emoji") << "\tmes \"😀\"" << 8 << "t.txt:5:8: warning: x";
        QTest::newRow("Japanese counts one each") << "\tmes \"あい\"" << 8 << "t.txt:5:9: warning: x";
    }
    void formatDiagnostic_countsCharacters()
    {
        QFETCH(QString, lineText);
        QFETCH(int, column);
        QFETCH(QString, formatted);
        const Diagnostic diagnostic{4, column, 1, Diagnostic::Severity::Warning, QStringLiteral("x")};
        QCOMPARE(CheckReport::formatDiagnostic(QStringLiteral("t.txt"), diagnostic, lineText), formatted);
    }

    // Each NAME.txt with NAME.expected: the report for the file named "NAME.txt".
    void samples_giveTheirExpectedReport_data()
    {
        QTest::addColumn<QString>("name");
        const QDir folder(QStringLiteral(TALEWICK_SCRIPTS));
        const QStringList scripts = folder.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
        if (scripts.isEmpty())
            QTest::newRow("no samples") << QString();
        for (const QString &script : scripts)
            QTest::newRow(qPrintable(script)) << script;
    }
    void samples_giveTheirExpectedReport()
    {
        QFETCH(QString, name);
        QVERIFY2(!name.isEmpty(), "no *.txt in " TALEWICK_SCRIPTS);
        const QDir folder(QStringLiteral(TALEWICK_SCRIPTS));
        QFile script(folder.filePath(name));
        QVERIFY(script.open(QIODevice::ReadOnly));
        const QByteArray bytes = script.readAll();
        QVERIFY2(bytes.contains("\r\n"), "samples are stored with CR LF");
        const QString expected = readUtf8(folder.filePath(name.chopped(4) + ".expected"));
        const CheckReport::FileResult result = CheckReport::checkBytes(name, bytes);
        QCOMPARE(result.report, expected);
        QCOMPARE(result.errors, int(expected.count(QStringLiteral(": error: "))));
        QCOMPARE(result.warnings, int(expected.count(QStringLiteral(": warning: "))));
    }
};

QTEST_GUILESS_MAIN(CheckerTest)
#include "test_checker.moc"
