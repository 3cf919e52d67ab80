// An open script changed a range at a time, as a client edits it: the text comes
// out as the same edits make of a plain string, line breaks of every kind
// included, what the findings hold for publishing equals a fresh open, and the
// published JSON, kept a line at a time, equals the fresh diagnostics written by Qt.
#include "language_server/diagnostics_json.h"
#include "language_server/load_findings.h"
#include "language_server/findings.h"
#include "language_server/text_document.h"

#include <QJsonDocument>
#include <QRandomGenerator>
#include <QTest>

using Lsp::Findings;
using Lsp::Position;
using Lsp::TextDocument;

namespace {

// The offset of a position in `text`, lines ending at "\n", "\r\n" or "\r";
// positions past a line's end or the text's end count as those ends.
qsizetype offsetOf(const QString &text, Position position)
{
    qsizetype offset = 0;
    for (int line = 0; line < position.line; ++line) {
        while (offset < text.size() && text.at(offset) != u'\n' && text.at(offset) != u'\r')
            ++offset;
        if (offset == text.size())
            return offset;
        offset += text.mid(offset, 2) == QLatin1String("\r\n") ? 2 : 1;
    }
    for (int character = 0; character < position.character; ++character) {
        if (offset == text.size() || text.at(offset) == u'\n' || text.at(offset) == u'\r')
            break;
        ++offset;
    }
    return offset;
}

const QString kUri = QStringLiteral("file:///a.txt");

// What would be published, and the calls and functions behind it.
QString described(const Findings &findings)
{
    const QByteArray published = Lsp::publishMessage(findings, kUri, 1, {});
    const QJsonDocument json = QJsonDocument::fromJson(published.sliced(published.indexOf("\r\n\r\n") + 4));
    QStringList lines{json.isNull() ? QStringLiteral("not JSON") : QString::fromUtf8(json.toJson())};
    for (const Findings::Line &line : findings.lines()) {
        QStringList parts{QString::number(line.number)};
        for (const Diagnostic &d : line.diagnostics)
            parts << QStringLiteral("%1:%2+%3").arg(d.code).arg(d.column).arg(d.length);
        for (const CallfuncSite &call : line.calls)
            parts << QStringLiteral("call %1@%2").arg(call.name).arg(call.column);
        for (const CallfuncSite &call : line.byName)
            parts << QStringLiteral("by name %1@%2").arg(call.name).arg(call.column);
        if (!line.function.name.isEmpty())
            parts << QStringLiteral("function %1").arg(line.function.name);
        for (const ScriptCheck::VariableUse &set : line.variables.sets)
            parts << QStringLiteral("set %1@%2").arg(set.name).arg(set.column);
        for (const ScriptCheck::VariableUse &read : line.variables.reads)
            parts << QStringLiteral("read %1@%2").arg(read.name).arg(read.column);
        lines << parts.join(u' ');
    }
    // What the load order decides, for today's servers and every server.
    for (const Target &target : {Target(Target::kToday), Target()}) {
        const QHash<int, Diagnostics> loads = Lsp::loadFindings(findings, target, {});
        QList<int> numbers = loads.keys();
        std::sort(numbers.begin(), numbers.end());
        for (const int number : numbers) {
            for (const Diagnostic &d : loads.value(number))
                lines << QStringLiteral("load %1 %2:%3+%4").arg(number).arg(d.code).arg(d.column).arg(d.length);
        }
    }
    return lines.join(u'\n');
}

// The diagnostics of a publishDiagnostics message, as Qt reads them.
QJsonArray publishedItems(const QByteArray &published)
{
    const QJsonDocument json = QJsonDocument::fromJson(published.sliced(published.indexOf("\r\n\r\n") + 4));
    return json.object().value(QLatin1String("params")).toObject().value(QLatin1String("diagnostics")).toArray();
}

QJsonArray written(const QVector<Lsp::PublishedDiagnostic> &diagnostics)
{
    QJsonArray array;
    for (const Lsp::PublishedDiagnostic &diagnostic : diagnostics)
        array.append(diagnostic.toJson());
    return array;
}

const QStringList kPieces = {
    QStringLiteral("m.tsg,1,2,0\tscript\tA\t1,{"),
    QStringLiteral("function\tscript\tF_Fare\t{"),
    QStringLiteral("\tcallfunc \"F_Fare\";"),
    QStringLiteral("\tcallfunc \"F_None\",1;"),
    QStringLiteral("\tF_Fare 1;"),
    QStringLiteral("\tF_Gone(2);"),
    QStringLiteral("m.tsg,3,3,0\tduplicate(A)\tA#2\t1"),
    QStringLiteral("\t\"A\"::Pay(1);"),
    QStringLiteral("public function Pay {"),
    QStringLiteral("function Pay {"),
    QStringLiteral("// talewick-check disable=TW333"),
    QStringLiteral("\tmenu \"Yes\",L_A,\"No\",L_B;"),
    QStringLiteral("L_A:"),
    QStringLiteral("\tgoto l_a;"),
    QStringLiteral("\tmes \"表😀\""),
    QStringLiteral("\tclose;"),
    QStringLiteral("// talewick-check disable=TW212"),
    QStringLiteral("\tset @Quest,1;"),
    QStringLiteral("\tmes \"\" + @quset + @quest;"),
    QStringLiteral("// talewick-check disable=TW506"),
    QStringLiteral("\t// talewick-check disable=TW206,TW210,TW9"),
    QStringLiteral("/* c"),
    QStringLiteral("*/"),
    QStringLiteral("}"),
    QStringLiteral("\n"),
    QStringLiteral("\r\n"),
    QStringLiteral("\r"),
    QStringLiteral(";"),
    QStringLiteral("x"),
    QString(),
};

} // namespace

class TestLspDocument : public QObject
{
    Q_OBJECT

private slots:
    void replace_givesTheTextOfTheSameEditOnAString_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("startLine");
        QTest::addColumn<int>("startCharacter");
        QTest::addColumn<int>("endLine");
        QTest::addColumn<int>("endCharacter");
        QTest::addColumn<QString>("inserted");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("lines");
        QTest::newRow("typing in a line") << "ab\ncd" << 1 << 1 << 1 << 1 << "x"
                                          << "ab\ncxd" << 2;
        QTest::newRow("a break typed") << "ab\ncd" << 0 << 1 << 0 << 1 << "\r\n"
                                       << "a\r\nb\ncd" << 3;
        QTest::newRow("lines joined") << "ab\r\ncd\ref" << 0 << 2 << 2 << 0 << ""
                                      << "abef" << 1;
        QTest::newRow("LF after a CR makes one break") << "ab\rcd" << 1 << 0 << 1 << 2 << "\n"
                                                       << "ab\r\n"
                                                       << 2;
        QTest::newRow("CR before an empty LF line makes one break") << "ab\n\ncd" << 0 << 2 << 0 << 2 << "\r"
                                                                    << "ab\r\n\ncd" << 3;
        QTest::newRow("deleting between CR and LF joins them") << "ab\rxy\ncd" << 1 << 0 << 1 << 2 << ""
                                                               << "ab\r\ncd" << 2;
        QTest::newRow("past the end of a line") << "ab\ncd" << 0 << 99 << 0 << 99 << "!"
                                                << "ab!\ncd" << 2;
        QTest::newRow("past the end of the text") << "ab\ncd" << 7 << 0 << 9 << 3 << "!"
                                                  << "ab\ncd!" << 2;
        QTest::newRow("range given end first") << "abcd" << 0 << 3 << 0 << 1 << ""
                                               << "ad" << 1;
        QTest::newRow("after an astral character") << "😀b" << 0 << 2 << 0 << 3 << "c"
                                                   << "😀c" << 1;
        QTest::newRow("all replaced") << "a\nb\nc" << 0 << 0 << 2 << 1 << "z"
                                      << "z" << 1;
        QTest::newRow("text ending in a break") << "a\n"
                                                << 1 << 0 << 1 << 0 << "b\n"
                                                << "a\nb\n"
                                                << 3;
    }
    void replace_givesTheTextOfTheSameEditOnAString()
    {
        QFETCH(QString, before);
        QFETCH(int, startLine);
        QFETCH(int, startCharacter);
        QFETCH(int, endLine);
        QFETCH(int, endCharacter);
        QFETCH(QString, inserted);
        QFETCH(QString, after);
        QFETCH(int, lines);
        TextDocument document(before, Commands::Table::builtIn());
        document.replace({startLine, startCharacter}, {endLine, endCharacter}, inserted);
        QCOMPARE(document.text(), after);
        QCOMPARE(document.lineCount(), lines);
    }

    // Random edits, each checked against the same edit on a plain string and the
    // findings against a fresh open of the result.
    void randomEdits_keepTextAndFindingsAsAFreshOpen_data()
    {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed : {1u, 2u, 3u, 4u})
            QTest::addRow("seed %u", seed) << seed;
    }
    void randomEdits_keepTextAndFindingsAsAFreshOpen()
    {
        QFETCH(quint32, seed);
        QRandomGenerator random(seed);
        QString text = kPieces.at(0) + QStringLiteral("\n") + kPieces.at(4) + QStringLiteral("\n}");
        TextDocument document(text, Commands::Table::builtIn());
        Findings findings(document.check());
        for (int step = 0; step < 400; ++step) {
            const int lines = document.lineCount();
            Position start{int(random.bounded(lines + 1)), int(random.bounded(30))};
            Position end = start;
            if (random.bounded(3) == 0)
                end = Position{start.line + int(random.bounded(3)), int(random.bounded(30))};
            QString inserted;
            for (int n = int(random.bounded(3)); n > 0; --n)
                inserted += kPieces.at(int(random.bounded(int(kPieces.size()))));
            qsizetype from = offsetOf(text, start);
            qsizetype to = offsetOf(text, end);
            if (to < from)
                std::swap(from, to);
            QCOMPARE(document.charactersBetween(start, end), to - from);
            text.replace(from, to - from, inserted);
            findings.update(document.check(), document.replace(start, end, inserted));
            QCOMPARE(document.text(), text);
            QCOMPARE(document.characterCount(), text.size());
            QCOMPARE(document.lineCount(), TextDocument::lineCountOf(text));
            TextDocument fresh(text, Commands::Table::builtIn());
            const Findings freshFindings(fresh.check());
            const std::function<bool(const QString &)> defined = [](const QString &name) { return name == "F_Fare"; };
            const QHash<QString, QString> set = freshFindings.playerVariablesSet();
            const Lsp::VariableJudge variables{[&set](const QString &key) { return set.contains(key); },
                                               [](const QString &) { return QStringLiteral("@quest"); }};
            for (const auto &judge : {std::function<bool(const QString &)>(), defined}) {
                for (const Lsp::VariableJudge &reads : {Lsp::VariableJudge{}, variables}) {
                    const QJsonArray published = publishedItems(Lsp::publishMessage(findings, kUri, 1, judge, reads));
                    QCOMPARE(published, written(Lsp::publishedDiagnostics(freshFindings, kUri, judge, reads)));
                }
            }
            const QString expected = described(freshFindings);
            const QString got = described(findings);
            if (got != expected)
                QFAIL(qPrintable(QStringLiteral("step %1\n--- incremental\n%2\n--- fresh\n%3\n--- text\n%4")
                                     .arg(step)
                                     .arg(got, expected, text)));
        }
    }

    // A name called as a command that another open file defines is that file's
    // function, called by name; one no file defines stays a warning.
    void published_nameDefinedInAnotherFile_isNoFinding()
    {
        TextDocument document(QStringLiteral("m.tsg,1,2,0\tscript\tA\t1,{\n\tF_Fare 1;\n\tF_Gone 1;\n\tend;\n}"),
                              Commands::Table::builtIn());
        const Findings findings(document.check());
        const std::function<bool(const QString &)> defined = [](const QString &name) { return name == "F_Fare"; };
        QStringList codes;
        for (const Lsp::PublishedDiagnostic &d : Lsp::publishedDiagnostics(findings, kUri, defined, {}))
            codes << QStringLiteral("%1 %2").arg(d.range.start.line).arg(d.code);
        QCOMPARE(codes, QStringList{"2 TW115"});
    }

    // What the load order decides within one open script is published on its
    // lines; a function another script defines may be loaded first.
    void published_loadOrderWithinTheScript()
    {
        auto today = std::make_shared<Commands::Table>(*Commands::Table::builtIn());
        today->setTarget(Target(Target::kToday));
        TextDocument document(QStringLiteral("m.tsg,1,2,0\tduplicate(B)\tB#2\t1\n"
                                             "m.tsg,1,2,0\tscript\tA\t1,{\n\tF_Fare 1;\n\tF_Gone 1;\n\tend;\n}\n"
                                             "function\tscript\tF_Fare\t{\n\treturn;\n}\n"
                                             "m.tsg,1,2,0\tscript\tB\t1,{\n\tend;\n}\n"
                                             "m.tsg,1,2,0\tscript\tA\t1,{\n\tend;\n}"),
                              today);
        Findings findings(document.check());
        const auto codesWith = [&](const std::function<bool(const QString &)> &elsewhere) {
            QStringList codes;
            const QHash<int, Diagnostics> loads = Lsp::loadFindings(findings, today->target(), elsewhere);
            for (const Lsp::PublishedDiagnostic &d : Lsp::publishedDiagnostics(findings, kUri, {}, {}, loads))
                codes << QStringLiteral("%1:%2 %3").arg(d.range.start.line).arg(d.range.start.character).arg(d.code);
            return codes;
        };
        QCOMPARE(codesWith({}), (QStringList{"0:22 TW334", "2:1 TW222", "3:1 TW115", "12:19 TW333"}));
        QCOMPARE(codesWith([](const QString &name) { return name == "F_Fare"; }),
                 (QStringList{"0:22 TW334", "3:1 TW115", "12:19 TW333"}));
        // An edit above moves them with their lines.
        findings.update(document.check(), document.replace({0, 0}, {0, 0}, QStringLiteral("// guide\n")));
        QCOMPARE(codesWith({}), (QStringList{"1:22 TW334", "3:1 TW222", "4:1 TW115", "13:19 TW333"}));
    }

    // The JSON kept a line at a time is written here, not by Qt: whatever a
    // message holds, Qt reads back what it would have written, at any line.
    void writeCutAtLine_readsAsQtWritesIt_data()
    {
        QTest::addColumn<QString>("message");
        QTest::newRow("plain") << QStringLiteral("命令 mez は知られていません");
        QTest::newRow("quote and backslash") << QStringLiteral("\"a\\b\"");
        QTest::newRow("control characters") << QStringLiteral("a\tb\nc\rd") + QChar(1) + QChar(0x1f);
        QTest::newRow("astral and delete") << QStringLiteral("😀") + QChar(0x7f);
        QTest::newRow("empty") << QString();
    }
    void writeCutAtLine_readsAsQtWritesIt()
    {
        QFETCH(QString, message);
        QVector<Lsp::PublishedDiagnostic> diagnostics(2);
        diagnostics[0] = {Lsp::Range::onLine(0, 3, 4), Lsp::PublishedDiagnostic::kWarning, message, message, {}};
        diagnostics[1] = {Lsp::Range::onLine(0, 9, 1),
                          Lsp::PublishedDiagnostic::kError,
                          QStringLiteral("TW104"),
                          QStringLiteral("x"),
                          {}};
        for (const int line : {0, 7, 123456}) {
            for (Lsp::PublishedDiagnostic &diagnostic : diagnostics)
                diagnostic.range.start.line = diagnostic.range.end.line = line;
            const QByteArray json = "[" + Lsp::writeCutAtLine(diagnostics).join(QByteArray::number(line)) + "]";
            QJsonParseError error;
            const QJsonArray read = QJsonDocument::fromJson(json, &error).array();
            QCOMPARE(error.error, QJsonParseError::NoError);
            QCOMPARE(read, written(diagnostics));
        }
    }
};

QTEST_GUILESS_MAIN(TestLspDocument)
#include "test_lsp_document.moc"
