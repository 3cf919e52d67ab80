// The semantic tokens: the classes a script's pieces get, their encoding, and
// the delta a client is sent after edits, checked against a fresh read.
#include "language_server/semantic_tokens.h"
#include "language_server/text_document.h"

#include <QJsonArray>
#include <QRandomGenerator>
#include <QTest>

using namespace Lsp;

namespace {

const QString kUri = QStringLiteral("file:///scratch/guide.txt");
const char *const kTypeNames[] = {"function", "keyword", "string", "label",   "number",
                                  "variable", "comment", "macro",  "operator"};
const char *const kModifierNames[] = {"player", "account", "npc", "scope", "global", "instance"};

// "text=type.modifier" for each token, as a reader checks them.
QStringList described(const ScriptCheck &check)
{
    QStringList lines;
    for (const SemanticToken &token : semanticTokens(check)) {
        QString line =
            check.text(token.line).mid(token.column, token.length) + u'=' + QLatin1String(kTypeNames[int(token.type)]);
        for (int bit = 0; bit < 6; ++bit) {
            if (token.modifiers & (1 << bit))
                line += u'.' + QLatin1String(kModifierNames[bit]);
        }
        lines.append(line);
    }
    return lines;
}

class OneScript : public Context
{
public:
    explicit OneScript(const QString &text) : document_(text, Commands::Table::builtIn()) {}
    const TextDocument &document(const QString &uri) const override
    {
        if (uri != kUri)
            throw RequestError{ErrorCode::kInvalidParams, QStringLiteral("not open")};
        return document_;
    }
    QVector<Location> functionDefinitions(const QString &) const override { return {}; }
    bool workspaceComplete() const override { return true; }
    QStringList functionNames() const override { return {}; }
    const Commands::Table &commands() const override { return *Commands::Table::builtIn(); }
    const ClientCapabilities &client() const override { return client_; }
    TextDocument &edit() { return document_; }

private:
    TextDocument document_;
    ClientCapabilities client_;
};

QJsonObject ask(const Context &context, const char *method, QJsonObject params)
{
    params.insert(QStringLiteral("textDocument"), QJsonObject{{QStringLiteral("uri"), kUri}});
    const FeatureTable::Handler *handler = FeatureTable::all().find(QLatin1String(method));
    if (!handler)
        return {};
    return (*handler)(context, params).toObject();
}

std::vector<quint32> numbers(const QJsonArray &array)
{
    std::vector<quint32> data;
    for (const QJsonValue &value : array)
        data.push_back(quint32(value.toInteger()));
    return data;
}

// `data` with the delta's edits made, as a client makes them.
std::vector<quint32> applied(std::vector<quint32> data, const QJsonArray &edits)
{
    for (const QJsonValue &value : edits) {
        const QJsonObject edit = value.toObject();
        const auto start = data.begin() + edit.value(QStringLiteral("start")).toInt();
        const auto end = start + edit.value(QStringLiteral("deleteCount")).toInt();
        const std::vector<quint32> inserted = numbers(edit.value(QStringLiteral("data")).toArray());
        data.insert(data.erase(start, end), inserted.begin(), inserted.end());
    }
    return data;
}

const QString kGuide = QStringLiteral("harbor01.tsg,150,150,4\tscript\tGuide\t56,{\n"
                                      "\tmes \"[案内]\";\n"
                                      "\tif (.@n > 3) goto L_Next;\n"
                                      "\tset $@count, 1;\n"
                                      "\tclose;\n"
                                      "L_Next:\n"
                                      "\tmes \"次\"; // おしまい\n"
                                      "\tclose;\n"
                                      "}\n");

} // namespace

class TestLspSemanticTokens : public QObject
{
    Q_OBJECT

private slots:
    void tokens_classifyThePiecesAsTheEditorColoursThem_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("expected");
        const QString head = QStringLiteral("harbor01.tsg,150,150,4\tscript\tGuide\t56,{\n");
        const QStringList headTokens{"150=number",      "150=number", "4=number",
                                     "script=function", "56=number",  "{=operator"};
        QTest::newRow("command and string")
            << head + QStringLiteral("\tmes \"[案内]\";\n}")
            << headTokens + QStringList{"mes=function", "\"[案内]\"=string", "}=operator"};
        QTest::newRow("keywords, scope variable, number, label")
            << head + QStringLiteral("\tif (.@n > 3) goto L_Next;\nL_Next:\n\tend;\n}")
            << headTokens + QStringList{"if=keyword",   ".@n=variable.scope", "3=number",    "goto=keyword",
                                        "L_Next=label", "L_Next=label",       "end=keyword", "}=operator"};
        QTest::newRow("variables by kind") << head + QStringLiteral("\tset $@a, .b + #c + 'd + @e + f;\n}")
                                           << headTokens + QStringList{"set=function",         "$@a=variable.global",
                                                                       ".b=variable.npc",      "#c=variable.account",
                                                                       "'d=variable.instance", "@e=variable.player",
                                                                       "f=variable.player",    "}=operator"};
        QTest::newRow("comment and directive comment")
            << QStringLiteral("// 案内\n// talewick-check disable=TW206\n")
            << QStringList{"// 案内=comment", "// talewick-check disable=TW206=macro"};
    }
    void tokens_classifyThePiecesAsTheEditorColoursThem()
    {
        QFETCH(QString, script);
        QFETCH(QStringList, expected);
        const TextDocument document(script, Commands::Table::builtIn());
        QCOMPARE(described(document.check()), expected);
    }

    void encode_placesEachTokenAfterTheOneBefore()
    {
        const QVector<SemanticToken> tokens{{0, 4, 3, TokenType::Command, 0},
                                            {0, 9, 2, TokenType::String, 0},
                                            {2, 1, 4, TokenType::Variable, TokenModifier::kScope}};
        const std::vector<quint32> expected{0, 4, 3, 0, 0, 0, 5, 2, 2, 0, 2, 1, 4, 5, 8};
        QCOMPARE(encodeTokens(tokens), expected);
    }

    void delta_afterAKeystroke_sendsOnlyTheEditedLine()
    {
        QString text;
        for (int npc = 0; npc < 200; ++npc)
            text += kGuide;
        OneScript script(text);
        const QJsonObject full = ask(script, "textDocument/semanticTokens/full", {});
        const std::vector<quint32> held = numbers(full.value(QStringLiteral("data")).toArray());
        script.edit().replace({901, 6}, {901, 6}, QStringLiteral("x")); // inside the 101st NPC's first message
        const QJsonObject delta = ask(script, "textDocument/semanticTokens/full/delta",
                                      {{QStringLiteral("previousResultId"), full.value(QStringLiteral("resultId"))}});
        const QJsonArray edits = delta.value(QStringLiteral("edits")).toArray();
        QCOMPARE(edits.size(), 1);
        // A few lines around the message, not the 200 NPCs' thousands of tokens.
        QVERIFY(edits.at(0).toObject().value(QStringLiteral("deleteCount")).toInt() <= 20 * 5);
        const TextDocument fresh(script.document(kUri).text(), Commands::Table::builtIn());
        QCOMPARE(applied(held, edits), encodeTokens(semanticTokens(fresh.check())));
    }

    // Past the document's record of its edits the lines are compared with those
    // held, which must find the one line that changed, not every line.
    void delta_afterMoreEditsThanRecorded_sendsOnlyTheEditedLine()
    {
        QString text;
        for (int npc = 0; npc < 200; ++npc)
            text += kGuide;
        OneScript script(text);
        const QJsonObject full = ask(script, "textDocument/semanticTokens/full", {});
        const std::vector<quint32> held = numbers(full.value(QStringLiteral("data")).toArray());
        for (int letter = 0; letter < 40; ++letter) // more than the document keeps
            script.edit().replace({901, 6}, {901, 6}, QStringLiteral("x"));
        const QJsonObject delta = ask(script, "textDocument/semanticTokens/full/delta",
                                      {{QStringLiteral("previousResultId"), full.value(QStringLiteral("resultId"))}});
        const QJsonArray edits = delta.value(QStringLiteral("edits")).toArray();
        QCOMPARE(edits.size(), 1);
        QVERIFY(edits.at(0).toObject().value(QStringLiteral("deleteCount")).toInt() <= 20 * 5);
        const TextDocument fresh(script.document(kUri).text(), Commands::Table::builtIn());
        QCOMPARE(applied(held, edits), encodeTokens(semanticTokens(fresh.check())));
    }

    void delta_afterRandomEdits_matchesAFreshRead()
    {
        OneScript script(kGuide);
        QJsonObject answer = ask(script, "textDocument/semanticTokens/full", {});
        std::vector<quint32> held = numbers(answer.value(QStringLiteral("data")).toArray());
        QRandomGenerator random(32);
        const QStringList pieces{"\tmes \"あ\";\n", "goto L_Next;", "\"", "/*", "*/", ".@x", "\n", "}", "{", "// "};
        for (int round = 0; round < 200; ++round) {
            // Mostly a keystroke or two between deltas; now and then more edits than
            // the document keeps a record of, so that the lines are compared instead.
            const int edits = round % 20 == 19 ? 40 : 1 + random.bounded(2);
            for (int edit = 0; edit < edits; ++edit) {
                const TextDocument &document = script.document(kUri);
                const int line = random.bounded(document.lineCount());
                const int column = random.bounded(int(document.line(line).size()) + 1);
                const int end = std::min(column + random.bounded(4), int(document.line(line).size()));
                script.edit().replace({line, column}, {line, end}, pieces.at(random.bounded(pieces.size())));
            }
            answer = ask(script, "textDocument/semanticTokens/full/delta",
                         {{QStringLiteral("previousResultId"), answer.value(QStringLiteral("resultId"))}});
            QVERIFY(answer.contains(QStringLiteral("edits")));
            held = applied(held, answer.value(QStringLiteral("edits")).toArray());
            const TextDocument fresh(script.document(kUri).text(), Commands::Table::builtIn());
            QCOMPARE(held, encodeTokens(semanticTokens(fresh.check())));
        }
    }

    // The whole list asked for again is built from the lines held since the last
    // answer: after any edits it must be what a fresh read gives.
    void full_afterRandomEdits_matchesAFreshRead()
    {
        OneScript script(kGuide + kGuide);
        QJsonObject answer = ask(script, "textDocument/semanticTokens/full", {});
        QRandomGenerator random(7);
        const QStringList pieces{"\tmes \"あ\";\n", "L_Next:", "\"", "/*", "*/", "$@y", "\n", "}", "{", "// "};
        for (int round = 0; round < 150; ++round) {
            const int edits = round % 15 == 14 ? 40 : random.bounded(3); // at times past the record
            for (int edit = 0; edit < edits; ++edit) {
                const TextDocument &document = script.document(kUri);
                const int line = random.bounded(document.lineCount());
                const int column = random.bounded(int(document.line(line).size()) + 1);
                const int end = std::min(column + random.bounded(6), int(document.line(line).size()));
                script.edit().replace({line, column}, {line, end}, pieces.at(random.bounded(pieces.size())));
            }
            // Now and then a delta in between, which moves the lines held on too.
            if (round % 3 == 1)
                answer = ask(script, "textDocument/semanticTokens/full/delta",
                             {{QStringLiteral("previousResultId"), answer.value(QStringLiteral("resultId"))}});
            answer = ask(script, "textDocument/semanticTokens/full", {});
            const TextDocument fresh(script.document(kUri).text(), Commands::Table::builtIn());
            QCOMPARE(numbers(answer.value(QStringLiteral("data")).toArray()),
                     encodeTokens(semanticTokens(fresh.check())));
        }
    }

    // A script closed and opened again, or opened by another server of the process,
    // is another document at the same address, with as many edits as the one before:
    // what was held for that one must not be taken for it.
    void answer_forAnotherDocumentAtTheSameUri_readsItsOwnLines_data()
    {
        QTest::addColumn<bool>("delta");
        QTest::newRow("full") << false;
        QTest::newRow("delta") << true;
    }
    void answer_forAnotherDocumentAtTheSameUri_readsItsOwnLines()
    {
        QFETCH(bool, delta);
        OneScript before(kGuide);
        OneScript after(QStringLiteral("// 別の台本\n") + kGuide + QStringLiteral("\tset .@a, 1;\n"));
        for (OneScript *script : {&before, &after})
            script->edit().replace({1, 1}, {1, 1}, QStringLiteral(" ")); // one edit each
        const QJsonObject first = ask(before, "textDocument/semanticTokens/full", {});
        std::vector<quint32> held = numbers(first.value(QStringLiteral("data")).toArray());
        const QJsonObject answer =
            delta ? ask(after, "textDocument/semanticTokens/full/delta",
                        {{QStringLiteral("previousResultId"), first.value(QStringLiteral("resultId"))}})
                  : ask(after, "textDocument/semanticTokens/full", {});
        const std::vector<quint32> got = answer.contains(QStringLiteral("edits"))
                                             ? applied(held, answer.value(QStringLiteral("edits")).toArray())
                                             : numbers(answer.value(QStringLiteral("data")).toArray());
        QCOMPARE(got, encodeTokens(semanticTokens(after.document(kUri).check())));
    }

    void delta_againstAnOldResult_sendsTheWholeList()
    {
        OneScript script(kGuide);
        const QJsonObject first = ask(script, "textDocument/semanticTokens/full", {});
        const QJsonObject second = ask(script, "textDocument/semanticTokens/full", {});
        QVERIFY(first.value(QStringLiteral("resultId")) != second.value(QStringLiteral("resultId")));
        const QJsonObject delta = ask(script, "textDocument/semanticTokens/full/delta",
                                      {{QStringLiteral("previousResultId"), first.value(QStringLiteral("resultId"))}});
        QVERIFY(!delta.contains(QStringLiteral("edits")));
        QCOMPARE(delta.value(QStringLiteral("data")), second.value(QStringLiteral("data")));
    }

    void capabilities_offerFullAndDeltaWithTheLegend()
    {
        const QJsonObject offered =
            FeatureTable::all().capabilities({}).toJson().value(QStringLiteral("semanticTokensProvider")).toObject();
        QVERIFY(offered.value(QStringLiteral("full")).toObject().value(QStringLiteral("delta")).toBool());
        const QJsonObject legend = offered.value(QStringLiteral("legend")).toObject();
        QCOMPARE(legend.value(QStringLiteral("tokenTypes")).toArray().size(), qsizetype(std::size(kTypeNames)));
        QCOMPARE(legend.value(QStringLiteral("tokenModifiers")).toArray().size(), qsizetype(std::size(kModifierNames)));
        QCOMPARE(legend.value(QStringLiteral("tokenTypes")).toArray().at(int(TokenType::Directive)).toString(),
                 QStringLiteral("macro"));
    }
};

QTEST_GUILESS_MAIN(TestLspSemanticTokens)
#include "test_lsp_semantic_tokens.moc"
