// What talewick-check reads and prints: line endings, undecodable bytes, columns
// in characters, calls across files, and the sample scripts' whole reports.
#include "check_tool/check_all.h"
#include "check_tool/check_report.h"
#include "check_tool/gcc_format.h"
#include "check_tool/script_files.h"
#include "checker/rules.h"
#include "checker_test_support.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

QString readUtf8(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("(cannot read %1)").arg(path);
    return QString::fromUtf8(file.readAll());
}

CheckReport::FileResult checkBytes(const QString &name, const QByteArray &bytes)
{
    return CheckReport::checkBytes(name, bytes, Commands::Table::builtIn());
}

} // namespace

class CheckReportTest : public QObject
{
    Q_OBJECT

private slots:
    void checkBytes_splitsAtEveryLineEnding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("expected");
        const QByteArray header = kHeader.toLatin1();
        const QStringList missing{"3:6 TW102"};
        QTest::newRow("LF") << header + "\n\tmes \"a\";\n\tclose\n}\n" << missing;
        QTest::newRow("CR LF") << header + "\r\n\tmes \"a\";\r\n\tclose\r\n}\r\n" << missing;
        QTest::newRow("CR") << header + "\r\tmes \"a\";\r\tclose\r}\r" << missing;
        QTest::newRow("mixed") << header + "\r\n\tmes \"a\";\n\tclose\r}" << missing;
        QTest::newRow("empty lines") << header + "\r\n\r\n\tclose\r\n\r\n}" << missing;
        QTest::newRow("no line break at the end")
            << header + "\r\n\tmes \"a\";\r\n\tclose" << QStringList{"1:24 TW201", "3:6 TW102"};
    }
    void checkBytes_splitsAtEveryLineEnding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, expected);
        QCOMPARE(described(checkBytes(QStringLiteral("t.txt"), bytes).diagnostics), expected);
    }

    void checkBytes_tooManyLines_isRefusedUnchecked()
    {
        const CheckReport::FileResult result =
            checkBytes(QStringLiteral("t.txt"), QByteArray(CheckReport::kMaxLines, '\n'));
        QVERIFY(result.failure.contains(QStringLiteral("t.txt")));
        QVERIFY(result.diagnostics.isEmpty());
    }

    // Bytes that are not Shift_JIS break the script where the server reads code; in a
    // comment it never reads them, in a string it shows them garbled.
    void undecodableBytes_areErrorsInCodeAndWarningsInText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("expected");
        const QByteArray header = kHeader.toLatin1() + "\r\n";
        QTest::newRow("lead byte without its trail byte in a string") << header + "\tmes \"\x82\";\r\n\tclose;\r\n}\r\n"
                                                                      << QStringList{"2:7 TW403"};
        QTest::newRow("unused byte in a string, semicolon lost") << header + "\tmes \"a\xff\"\r\n}\r\n"
                                                                 << QStringList{"2:8 TW403", "2:9 TW102"};
        QTest::newRow("unused byte in a line comment") << header + "\tend; // \xff\r\n}\r\n"
                                                       << QStringList{"2:10 TW403"};
        QTest::newRow("unused byte in a block comment") << header + "\t/* \xa0\xff\r\n */ end;\r\n}\r\n"
                                                        << QStringList{"2:5 TW403"};
        QTest::newRow("unused byte in code") << header + "\t\xff"
                                                         "close;\r\n}\r\n"
                                             << QStringList{"2:2 TW402", "2:2 TW106"};
        QTest::newRow("in a string and in code: the code decides") << header + "\tmes \"\xff\"; \xff\r\n}\r\n"
                                                                   << QStringList{"2:11 TW402", "2:11 TW106"};
        QTest::newRow("comment after a definition line")
            << QByteArray("m.tsg,1,2\twarp\tW\t1,1,n.tsg,2,2 // \xff\r\n") << QStringList{"1:35 TW403"};
        QTest::newRow("several lines of text: one warning, on the first")
            << header + "\tmes \"\xff\";\r\n\tnext; // \xff\r\n\tmes \"\xff\";\r\n\tclose;\r\n}\r\n"
            << QStringList{"2:7 TW403"};
        QTest::newRow("lines of text and of code: each code line an error")
            << header + "\tmes \"\xff\";\r\n\t\xff"
                        "close;\r\n\tmes \"\xff\";\r\n}\r\n"
            << QStringList{"2:7 TW403", "3:2 TW402", "3:2 TW106"};
    }
    void undecodableBytes_areErrorsInCodeAndWarningsInText()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, expected);
        QCOMPARE(described(checkBytes(QStringLiteral("t.txt"), bytes).diagnostics), expected);
    }

    // The one warning names the encoding and every line of text with unreadable
    // bytes, leaving out those a directive silences.
    void undecodableText_isOneWarningNamingItsLines_data()
    {
        QTest::addColumn<QString>("encoding");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("messageArguments");
        const QByteArray header = kHeader.toLatin1() + "\r\n";
        const QByteArray threeBad =
            header + "\tmes \"\xff\";\r\n\tnext; // \xff\r\n\tmes \"\x82\";\r\n\tclose;\r\n}\r\n";
        QTest::newRow("code page 932") << QString() << threeBad << QStringList{"Shift_JIS", "3"};
        QTest::newRow("utf-8") << "utf-8" << threeBad << QStringList{"utf-8", "3"};
        QTest::newRow("a silenced line is not counted")
            << QString()
            << header + "\tmes \"\xff\";\r\n\t// talewick-check disable=TW403\r\n\tnext; // \xff\r\n\tclose;\r\n}\r\n"
            << QStringList{"Shift_JIS", "1"};
    }
    void undecodableText_isOneWarningNamingItsLines()
    {
        QFETCH(QString, encoding);
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, messageArguments);
        const std::optional<ScriptEncoding> read =
            encoding.isEmpty() ? std::optional<ScriptEncoding>(ScriptEncoding()) : ScriptEncoding::named(encoding);
        QVERIFY(read);
        const Diagnostics found =
            CheckReport::checkBytes(QStringLiteral("t.txt"), bytes, Commands::Table::builtIn(), *read).diagnostics;
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.front().code, QStringLiteral("TW403"));
        QCOMPARE(found.front().message, Rules::message(Rule::UndecodableInText, messageArguments));
    }

    // Today's servers pass bytes in text through: only those in code count.
    void undecodableBytes_forTodaysServers_onlyInCode()
    {
        auto today = std::make_shared<Commands::Table>(*Commands::Table::builtIn());
        today->setTarget(*Target::fromName(u"today"));
        const QByteArray bytes = kHeader.toLatin1() + "\r\n\tmes \"\xff\"; // \xff\r\n\t\xff" "close;\r\n}\r\n";
        QCOMPARE(described(CheckReport::checkBytes(QStringLiteral("t.txt"), bytes, today).diagnostics),
                 (QStringList{"3:2 TW402", "3:2 TW106"}));
    }

    void encoding_namedOnlyWhenTheToolkitKnowsIt_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("known");
        QTest::newRow("utf-8") << "utf-8" << true;
        QTest::newRow("EUC-JP") << "EUC-JP" << true;
        QTest::newRow("made up") << "klingon-8" << false;
        QTest::newRow("empty") << "" << false;
    }
    void encoding_namedOnlyWhenTheToolkitKnowsIt()
    {
        QFETCH(QString, name);
        QFETCH(bool, known);
        QCOMPARE(ScriptEncoding::named(name).has_value(), known);
    }

    // The tool reads definition lines without their colours: what it finds there
    // must be what the editor, which colours them, finds.
    void checkBytes_withoutColours_findsWhatTheEditorFinds_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("kind misspelt") << QStringLiteral("m.tsg,1,2,0\tscrpt\tA\t1,{\n\tend;\n}");
        QTest::newRow("place without its facing") << QStringLiteral("m.tsg,1,2\tscript\tA\t1,{\n\tend;\n}");
        QTest::newRow("warp short of fields") << QStringLiteral("m.tsg,1,2\twarp\tW\t1,1,n.tsg");
        QTest::newRow("indented definition") << QStringLiteral(" m.tsg,1,2,0\tscript\tA\t1,{\n\tend;\n}");
        QTest::newRow("body never closed") << QStringLiteral("m.tsg,1,2,0\tscript\tA\t1,{\n\tmes \"a\";");
    }
    void checkBytes_withoutColours_findsWhatTheEditorFinds()
    {
        QFETCH(QString, text);
        const QStringList found = described(checkBytes(QStringLiteral("t.txt"), text.toLatin1()).diagnostics);
        QVERIFY(!found.isEmpty());
        QCOMPARE(found, described(checkScript(text)));
    }

    void formatDiagnostic_countsCharactersAndEndsWithTheCode_data()
    {
        QTest::addColumn<QString>("lineText");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("formatted");
        QTest::newRow("tab counts one") << "\tmes" << 1 << "t.txt:5:2: warning: x [TW104]";
        QTest::newRow("at an emoji") << "\tmes \"😀\"" << 6 << "t.txt:5:7: warning: x [TW104]";
        QTest::newRow("after an emoji") << "\tmes \"😀\"" << 8 << "t.txt:5:8: warning: x [TW104]";
        QTest::newRow("Japanese counts one each") << "\tmes \"あい\"" << 8 << "t.txt:5:9: warning: x [TW104]";
    }
    void formatDiagnostic_countsCharactersAndEndsWithTheCode()
    {
        QFETCH(QString, lineText);
        QFETCH(int, column);
        QFETCH(QString, formatted);
        Diagnostic diagnostic = Rules::make(Rule::ArgumentCount, 4, column, 1);
        diagnostic.message = QStringLiteral("x");
        QCOMPARE(GccFormat::formatDiagnostic(QStringLiteral("t.txt"), diagnostic, lineText), formatted);
    }

    void functionsAcross_callOfAFunctionNoFileDefines_isAWarning()
    {
        QVector<CheckReport::FileResult> files{
            checkBytes(QStringLiteral("a.txt"), "function\tscript\tF_Known\t{\r\n\treturn 1;\r\n}\r\n"
                                                "function\tscript\tF_OneLine\t{ return 2; }\r\n"),
            checkBytes(QStringLiteral("b.txt"), kHeader.toLatin1() + "\r\n\tcallfunc \"F_Known\";\r\n"
                                                                     "\tset @x,callfunc(\"F_Lost\",1);\r\n"
                                                                     "\tcallfunc \"F_OneLine\";\r\n\tclose;\r\n}\r\n"),
        };
        CheckReport::checkFunctionsAcross(files);
        QCOMPARE(described(files.at(0).diagnostics), QStringList());
        QCOMPARE(described(files.at(1).diagnostics), QStringList{"3:18 TW212"});
    }

    void functionsAcross_calledByNameAndDefinedInAnotherFile_isNoFinding()
    {
        QVector<CheckReport::FileResult> files{
            checkBytes(QStringLiteral("a.txt"), "function\tscript\tF_Known\t{\r\n\treturn 1;\r\n}\r\n"),
            checkBytes(QStringLiteral("b.txt"), kHeader.toLatin1() + "\r\n\tF_Known 1;\r\n\tF_Lost 1;\r\n\tend;\r\n}\r\n"),
        };
        CheckReport::checkFunctionsAcross(files);
        QCOMPARE(described(files.at(1).diagnostics), QStringList{"3:2 TW115"});
    }

    void directive_silencesChecksAcrossFilesAndBytesToo()
    {
        QVector<CheckReport::FileResult> files{
            checkBytes(QStringLiteral("a.txt"),
                       kHeader.toLatin1() + "\r\n\t// talewick-check disable=TW212,TW403\r\n"
                                            "\tcallfunc \"F_Lost\"; // \xff\r\n\tcallfunc \"F_Gone\";\r\n}\r\n")};
        CheckReport::checkFunctionsAcross(files);
        QCOMPARE(described(files.at(0).diagnostics), QStringList{"4:11 TW212"});
    }

    // One file gives player variables their values; the other reads them, and what
    // nothing sets is reported where it is read.
    void playerVariablesAcross_readOfANameNoFileSets_isAWarning_data()
    {
        QTest::addColumn<QByteArray>("reader");
        QTest::addColumn<QStringList>("expected");
        const QByteArray header = kHeader.toLatin1() + "\r\n";
        const QByteArray end = "\tclose;\r\n}\r\n";
        QTest::newRow("set in the other file") << header + "\tmes \"\" + @quest_step;\r\n" + end << QStringList();
        QTest::newRow("set there in another case")
            << header + "\tif (@Quest_Step > 1) mes \"a\";\r\n" + end << QStringList();
        QTest::newRow("misspelt") << header + "\tmes \"\" + @quest_stpe;\r\n" + end << QStringList{"2:11 TW506"};
        QTest::newRow("set in the other file's function") << header + "\tmes @reward$;\r\n" + end << QStringList();
        QTest::newRow("the menu's choice after a menu")
            << header + "\tmenu \"a\",-,\"b\",-;\r\n\tif (@menu == 2) mes \"b\";\r\n" + end << QStringList();
        QTest::newRow("silenced by a directive")
            << header + "\t// talewick-check disable=TW506\r\n\tmes \"\" + @quest_stpe;\r\n" + end << QStringList();
        QTest::newRow("global, account and permanent never judged")
            << header + "\tmes \"\" + $@global + #account + ##world + quest + $server;\r\n" + end << QStringList();
        QTest::newRow("set and read in the reader itself")
            << header + "\tset @mine,1;\r\n\tmes \"\" + @mine;\r\n" + end << QStringList();
        QTest::newRow("read in a function nothing sets")
            << QByteArray("function\tscript\tF_Read\t{\r\n\treturn @never;\r\n}\r\n") << QStringList{"2:9 TW506"};
        QTest::newRow("lists and event values the server sets")
            << header + "\tgetinventorylist;\r\n\tmes \"\" + @inventorylist_amount[0] + @bought_nameid[0] + @price;\r\n" +
                   end
            << QStringList();
        QTest::newRow("a list's name alone is none the server sets")
            << header + "\tmes \"\" + @inventorylist_;\r\n" + end << QStringList{"2:11 TW506"};
        QTest::newRow("a string variable is no number variable")
            << header + "\tmes \"\" + @quest_step$;\r\n" + end << QStringList{"2:11 TW506"};
    }
    void playerVariablesAcross_readOfANameNoFileSets_isAWarning()
    {
        QFETCH(QByteArray, reader);
        QFETCH(QStringList, expected);
        QVector<CheckReport::FileResult> files{
            checkBytes(QStringLiteral("a.txt"),
                       kHeader.toLatin1() +
                           "\r\n\tset @quest_step,1;\r\n\tend;\r\n}\r\n"
                           "function\tscript\tF_Reward\t{\r\n\tset @reward$,\"x\";\r\n\treturn;\r\n}\r\n"),
            checkBytes(QStringLiteral("b.txt"), reader),
        };
        CheckReport::checkPlayerVariablesAcross(files);
        QCOMPARE(described(files.at(0).diagnostics), QStringList());
        QStringList found;
        for (const Diagnostic &d : std::as_const(files.at(1).diagnostics)) {
            if (d.code.startsWith(u"TW506"))
                found << described(d);
        }
        QCOMPARE(found, expected);
    }

    // The hint names the nearest variable set in any file, of the same kind.
    void playerVariablesAcross_hintNamesTheNearestSetInAnyFile()
    {
        QVector<CheckReport::FileResult> files{
            checkBytes(QStringLiteral("a.txt"), kHeader.toLatin1() + "\r\n\tset @quest_step,1;\r\n\tend;\r\n}\r\n"),
            checkBytes(QStringLiteral("b.txt"),
                       kHeader.toLatin1() + "\r\n\tmes \"\" + @quest_stpe + @mneu + @far_away;\r\n\tclose;\r\n}\r\n"),
        };
        CheckReport::checkPlayerVariablesAcross(files);
        const Diagnostics &found = files.at(1).diagnostics;
        QCOMPARE(described(found), (QStringList{"2:11 TW506", "2:25 TW506", "2:33 TW506"}));
        QVERIFY(found.at(0).message.contains(QStringLiteral("「@quest_step」")));
        QVERIFY(found.at(1).message.contains(QStringLiteral("「@menu」")));
        QCOMPARE(found.at(2).message.count(u'「'), 1); // the name read, and no hint
    }

    void checkAll_foldersAndFiles_comeInTheOrderGivenEachFolderSorted()
    {
        QTemporaryDir tree;
        const QByteArray script = kHeader.toLatin1() + "\n\tmes \"a\";\n\tclose;\n}\n";
        const QByteArray broken = kHeader.toLatin1() + "\n\tmes \"a\";\n\tclose\n}\n";
        const QStringList names{"town/b.txt",    "town/a.txt", "town/inner/c.txt", "town/.hidden.txt", "town/d.TXT",
                                "town/notes.md", "z.txt"};
        QDir(tree.path()).mkpath(QStringLiteral("town/inner"));
        for (const QString &name : names) {
            QFile file(tree.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(name == u"town/a.txt" ? broken : script);
        }
        const QStringList paths{tree.filePath("z.txt"), tree.filePath("town"), tree.filePath("gone.txt")};
        for (const bool keepBytes : {false, true}) {
            const QVector<CheckReport::FileResult> results =
                CheckAll::check(paths, Commands::Table::builtIn(), keepBytes);
            QStringList order;
            for (const CheckReport::FileResult &result : results)
                order.append(QDir(tree.path()).relativeFilePath(result.fileName));
            QCOMPARE(order, (QStringList{"z.txt", "town/.hidden.txt", "town/a.txt", "town/b.txt", "town/d.TXT",
                                         "town/inner/c.txt", "gone.txt"}));
            QCOMPARE(described(results.at(2).diagnostics), QStringList{"3:6 TW102"});
            QCOMPARE(results.at(2).bytes.isEmpty(), !keepBytes);
            QVERIFY(results.at(3).bytes.isEmpty() && results.at(3).lines.isEmpty());
            QVERIFY(!results.back().failure.isEmpty());
        }
    }

    // What the walk lists beside plain scripts: only files a script can be read from,
    // and no folder twice.
    void scriptFiles_linksAndSpecialFiles_onlyReadableScriptsListed()
    {
        QTemporaryDir tree;
        const QDir root(tree.path());
        QVERIFY(root.mkpath(QStringLiteral("town/inner")));
        for (const QString &name : {QStringLiteral("town/a.txt"), QStringLiteral("town/inner/b.txt")}) {
            QFile file(root.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QVERIFY(QFile::link(root.filePath("town/a.txt"), root.filePath("town/link.txt")));
        QVERIFY(QFile::link(root.filePath("town/inner"), root.filePath("town/folder.txt")));
        QVERIFY(QFile::link(root.filePath("town/inner"), root.filePath("town/again")));
        QVERIFY(QFile::link(root.filePath("town/gone"), root.filePath("town/broken.txt")));
        QCOMPARE(mkfifo(QFile::encodeName(root.filePath("town/pipe.txt")).constData(), 0600), 0);
        for (const QString &folder : {root.filePath("town"), root.filePath("town") + u'/'}) {
            QStringList listed;
            ScriptFiles::forEachUnder(folder, [&](const QString &path) { listed.append(path); });
            QCOMPARE(listed, (QStringList{root.filePath("town/a.txt"), root.filePath("town/inner/b.txt"),
                                          root.filePath("town/link.txt")}));
        }
    }

    // Each NAME.txt with NAME.expected: the report for the file named "NAME.txt".
    void samples_giveTheirExpectedReport_data()
    {
        QTest::addColumn<QString>("name");
        const QDir folder(QStringLiteral(TALEWICK_SCRIPTS));
        const QStringList scripts = folder.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
        QVERIFY(!scripts.isEmpty());
        for (const QString &script : scripts)
            QTest::newRow(qPrintable(script)) << script;
    }
    void samples_giveTheirExpectedReport()
    {
        QFETCH(QString, name);
        const QDir folder(QStringLiteral(TALEWICK_SCRIPTS));
        QFile script(folder.filePath(name));
        QVERIFY(script.open(QIODevice::ReadOnly));
        const QByteArray bytes = script.readAll();
        QVERIFY2(bytes.contains("\r\n"), "samples are stored with CR LF");
        const QString expected = readUtf8(folder.filePath(name.chopped(4) + ".expected"));
        QCOMPARE(GccFormat::report(checkBytes(name, bytes)), expected);
    }
};

QTEST_GUILESS_MAIN(CheckReportTest)
#include "test_check_report.moc"
