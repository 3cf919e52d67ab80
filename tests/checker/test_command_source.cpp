// A server's own source as the command table: each form of definition, what its
// argument letters mean for the counts, and what is not a definition.
#include "checker/command_source.h"
#include "checker/commands.h"
#include "checker/script_check.h"
#include "checker_test_support.h"
#include "common/failure.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// "word min max shape" of each command, as the table holds it.
QStringList describedRows(const QString &rows)
{
    QStringList described;
    for (const QString &row : rows.split(u'\n', Qt::SkipEmptyParts))
        described << QString(row).replace(u'\t', u' ');
    return described;
}

QString writeTemporary(const QTemporaryDir &folder, const QByteArray &bytes)
{
    const QString path = folder.filePath(QStringLiteral("script.c"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(bytes);
    return path;
}

} // namespace

class CommandSourceTest : public QObject
{
    Q_OBJECT

private slots:
    void definitions_giveTheirRows_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("older form") << "struct { int (*f)(); char *name; char *arg; } buildin_func[] = {\n"
                                       "\t{buildin_mes,\"mes\",\"s\"},\n\t{buildin_warp,\"warp\",\"sii\"},\n"
                                       "\t{NULL,NULL,NULL},\n};"
                                    << QStringList{"mes 1 1 s", "warp 3 3 see"};
        QTest::newRow("later form") << "\tBUILDIN_DEF(mes,\"s\"),\n\tBUILDIN_DEF( heal , \"ii\" ),"
                                    << QStringList{"mes 1 1 s", "heal 2 2 ee"};
        QTest::newRow("later form with its own name")
            << "\tBUILDIN_DEF2(_goto,\"goto\",\"l\")," << QStringList{"goto 1 1 l"};
        QTest::newRow("any number") << "\tBUILDIN_DEF(menu,\"*\"),\n\tBUILDIN_DEF(callsub,\"l*\"),"
                                    << QStringList{"menu 0 - …", "callsub 1 - l…"};
        QTest::newRow("optional arguments") << "\tBUILDIN_DEF(getitem,\"vi?.v\"),\n\tBUILDIN_DEF(end,\"?\"),"
                                            << QStringList{"getitem 2 5 eeeee", "end 0 1 e"};
        QTest::newRow("optional then any number")
            << "\tBUILDIN_DEF(announce,\"s?i*\")," << QStringList{"announce 1 - see…"};
        QTest::newRow("no arguments") << "\t{buildin_close,\"close\",\"\"}," << QStringList{"close 0 0 "};
        QTest::newRow("inside #ifdef blocks")
            << "#ifdef WITH_DATABASE\n\tBUILDIN_DEF(query_sql,\"s*\"),\n#else\n\tBUILDIN_DEF(nodb,\"\"),\n#endif"
            << QStringList{"query_sql 1 - s…", "nodb 0 0 "};
        QTest::newRow("commented out")
            << "\t//BUILDIN_DEF(old,\"i\"),\n\t/* BUILDIN_DEF(gone,\"i\"),\n\tBUILDIN_DEF(gone2,\"i\"), */\n"
               "\tBUILDIN_DEF(kept,\"i\"), // BUILDIN_DEF(note,\"i\")"
            << QStringList{"kept 1 1 e"};
        QTest::newRow("quotes in strings and characters do not hide a definition")
            << "\tif (c == '\"') p = \"/* not a comment\";\n\tBUILDIN_DEF(after,\"s\")," << QStringList{"after 1 1 s"};
        QTest::newRow("the macros' own definitions")
            << "#define BUILDIN_DEF(x,args) { buildin_ ## x , #x , args }\n"
               "#define BUILDIN_DEF2(x,x2,args) { buildin_ ## x , x2 , args }\n\tBUILDIN_DEF(mes,\"s\"),"
            << QStringList{"mes 1 1 s"};
    }
    // Each `?` is one optional argument of any type, the letters after the first
    // `?` are optional too, and `*` lets any number follow.
    void letters_giveTheirCounts_data()
    {
        QTest::addColumn<QString>("letters");
        QTest::addColumn<QString>("row");
        QTest::newRow("?") << "?"
                           << "0 1 e";
        QTest::newRow("??") << "??"
                            << "0 2 ee";
        QTest::newRow("i?") << "i?"
                            << "1 2 ee";
        QTest::newRow("ii?") << "ii?"
                             << "2 3 eee";
        QTest::newRow("s??") << "s??"
                             << "1 3 see";
        QTest::newRow("*") << "*"
                           << "0 - …";
        QTest::newRow("s*") << "s*"
                            << "1 - s…";
        QTest::newRow("?*") << "?*"
                            << "0 - e…";
        QTest::newRow("a letter after ? is optional") << "i?i"
                                                      << "1 3 eee";
        QTest::newRow("a label after ?") << "s?l"
                                         << "1 3 sel";
        QTest::newRow("a variable") << "r"
                                    << "1 1 e";
        QTest::newRow("a variable among others") << "sir?"
                                                 << "3 4 seee";
    }
    void letters_giveTheirCounts()
    {
        QFETCH(QString, letters);
        QFETCH(QString, row);
        const QString source = QStringLiteral("\tBUILDIN_DEF(cmd,\"%1\"),").arg(letters);
        QCOMPARE(describedRows(CommandSource::tableRows(source)), QStringList{"cmd " + row});
    }

    void definitions_giveTheirRows()
    {
        QFETCH(QString, source);
        QFETCH(QStringList, rows);
        QVERIFY(CommandSource::looksLikeSource(source));
        QCOMPARE(describedRows(CommandSource::tableRows(source)), rows);
    }

    void contentTellsTheFormat_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("source");
        QTest::newRow("table") << "# ours\nsummonpet\t1\t2\te…\n" << false;
        QTest::newRow("older source") << "{buildin_mes,\"mes\",\"s\"}," << true;
        QTest::newRow("later source") << "BUILDIN_DEF2(f,\"name\",\"\")," << true;
        QTest::newRow("a table row that names a function") << "buildin_x\t0\t0\t\n" << false;
    }
    void contentTellsTheFormat()
    {
        QFETCH(QString, text);
        QFETCH(bool, source);
        QCOMPARE(CommandSource::looksLikeSource(text), source);
    }

    void withFile_source_addsItsCommandsToTheCheck()
    {
        QTemporaryDir folder;
        const QString path = writeTemporary(folder, "#ifdef WITH_DATABASE\n"
                                                    "\tBUILDIN_DEF(query_sql,\"s*\"),\n#endif\n"
                                                    "\tBUILDIN_DEF2(summon_pet,\"summonpet\",\"i??\"),\n"
                                                    "\tBUILDIN_DEF(mes,\"?\"),\n");
        const std::shared_ptr<const Commands::Table> table = Commands::withFile(path);
        QVERIFY(table->find(u"warp")); // the built-in table stays
        ScriptCheck check(table);
        const QString body = "\tquery_sql \"SELECT 1\",@n;\n\tsummonpet 1;\n\tsummonpet 1,2,3,4;\n"
                             "\tmes;\n\tmes \"a\";\n\tmes \"a\",\"b\";\n\tclose;";
        check.replaceLines(0, 0, npc(body).split(u'\n'));
        QCOMPARE(described(check.allDiagnostics()), (QStringList{"4:2 TW104", "7:2 TW104"}));
    }

    void withFile_sourceThatDefinesNothing_fails()
    {
        QTemporaryDir folder;
        const QString path = writeTemporary(folder, "#define BUILDIN_DEF(x,args) { buildin_ ## x , #x , args }\n");
        try {
            Commands::withFile(path);
            QFAIL("no failure");
        } catch (const Failure &failure) {
            QVERIFY2(failure.message().contains(path), qPrintable(failure.message()));
        }
    }
};

QTEST_GUILESS_MAIN(CommandSourceTest)
#include "test_command_source.moc"
