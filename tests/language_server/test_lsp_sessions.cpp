// Whole conversations with the server, recorded as the client's messages and the
// server's answers: sessions/*.json. Each step of a session is one of
//   {"send": MESSAGE}          a message from the client
//   {"raw": "TEXT"}            bytes from the client as they are, framing included
//   {"idle": true}             no more input waits (the server publishes)
//   {"expect": MESSAGE}        the server's next message holds MESSAGE: every key
//                              given, arrays of the same length, other keys free;
//                              an array that begins with "(some)" holds the rest
//                              among any number of other items
//   {"expectNothing": true}    the server has nothing more to say
//   {"exitCode": N}            the server has ended with code N
// "${ROOT}" in a session stands for a scratch folder holding the files of
// {"file": NAME, "text": TEXT} steps, written in code page 932 (or in the
// "encoding" the step names), and removed by {"remove": NAME} steps.
// A session that sends no initialize of its own begins with the shared one (a
// client that nests symbols and prepares renames, no workspace); one that has not
// ended by itself ends with shutdown and exit, answered in turn.
// The features themselves are tested as tables in test_lsp_features.cpp; the
// sessions keep what needs the whole server: lifecycle, framing, the workspace
// and the order of publications.
#include "common/code_page.h"
#include "language_server/message_reader.h"
#include "language_server/server.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

QByteArray framed(const QByteArray &content)
{
    return "Content-Length: " + QByteArray::number(content.size()) + "\r\n\r\n" + content;
}

// Where `actual` differs from `expected`, or an empty text when it holds it.
QString mismatch(const QJsonValue &expected, const QJsonValue &actual, const QString &path)
{
    if (expected.isObject()) {
        if (!actual.isObject())
            return path + QStringLiteral(": not an object");
        const QJsonObject want = expected.toObject();
        const QJsonObject have = actual.toObject();
        for (auto entry = want.begin(); entry != want.end(); ++entry) {
            if (!have.contains(entry.key()))
                return path + u'.' + entry.key() + QStringLiteral(": missing");
            const QString inner = mismatch(entry.value(), have.value(entry.key()), path + u'.' + entry.key());
            if (!inner.isEmpty())
                return inner;
        }
        return QString();
    }
    if (expected.isArray()) {
        if (!actual.isArray())
            return path + QStringLiteral(": not an array");
        QJsonArray want = expected.toArray();
        const QJsonArray have = actual.toArray();
        if (!want.isEmpty() && want.first() == QJsonValue(QStringLiteral("(some)"))) {
            want.removeFirst();
            for (const QJsonValue &item : std::as_const(want)) {
                const bool found = std::any_of(have.begin(), have.end(), [&](const QJsonValue &candidate) {
                    return mismatch(item, candidate, path).isEmpty();
                });
                if (!found)
                    return path + QStringLiteral(": no item holds ") +
                           QString::fromUtf8(QJsonDocument(QJsonArray{item}).toJson(QJsonDocument::Compact));
            }
            return QString();
        }
        if (want.size() != have.size())
            return path + QStringLiteral(": %1 items, not %2").arg(have.size()).arg(want.size());
        for (qsizetype i = 0; i < want.size(); ++i) {
            const QString inner = mismatch(want.at(i), have.at(i), path + QStringLiteral("[%1]").arg(i));
            if (!inner.isEmpty())
                return inner;
        }
        return QString();
    }
    return expected == actual ? QString() : path + QStringLiteral(": not as expected");
}

bool sendsInitialize(const QJsonArray &steps)
{
    return std::any_of(steps.begin(), steps.end(), [](const QJsonValue &step) {
        return step.toObject().value(QLatin1String("send")).toObject().value(QLatin1String("method")) ==
               QLatin1String("initialize");
    });
}

const QJsonArray kSharedBeginning = QJsonDocument::fromJson(R"([
    {"send": {"jsonrpc": "2.0", "id": 1, "method": "initialize", "params": {"capabilities": {"textDocument":
        {"documentSymbol": {"hierarchicalDocumentSymbolSupport": true}, "rename": {"prepareSupport": true}}},
        "rootUri": null}}},
    {"expect": {"id": 1, "result": {"capabilities": {"textDocumentSync": {"change": 2}}}}},
    {"send": {"jsonrpc": "2.0", "method": "initialized", "params": {}}}
])")
                                        .array();

const QJsonArray kSharedEnd = QJsonDocument::fromJson(R"([
    {"send": {"jsonrpc": "2.0", "id": 99, "method": "shutdown"}},
    {"expect": {"id": 99, "result": null}},
    {"send": {"jsonrpc": "2.0", "method": "exit"}},
    {"exitCode": 0}
])")
                                  .array();

// The messages the server wrote, read back out of their frames.
QJsonArray messagesIn(const QByteArray &written)
{
    Lsp::MessageReader reader;
    reader.feed(written);
    QJsonArray messages;
    while (std::optional<Lsp::MessageReader::Item> item = reader.next())
        messages.append(QJsonDocument::fromJson(item->content).object());
    return messages;
}

// A message with `params` as its params member (none when empty), its id when it has one.
QByteArray message(const QString &method, const QByteArray &params, const QByteArray &id)
{
    QJsonObject object{{QStringLiteral("jsonrpc"), QStringLiteral("2.0")}, {QStringLiteral("method"), method}};
    if (!id.isEmpty())
        object.insert(QStringLiteral("id"), id.toInt());
    QByteArray text = QJsonDocument(object).toJson(QJsonDocument::Compact);
    if (!params.isEmpty())
        text.insert(text.size() - 1, ",\"params\":" + params); // as it is, even when it is no object
    return text;
}

// JSON written with ' for ", which reads more easily in a table.
QByteArray json(const char *text)
{
    return QByteArray(text).replace('\'', '"');
}

// The rows of a table of bad params: the method, its params as sent (none when
// empty), and the path the server must name.
void addBadParamsColumns()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QByteArray>("params");
    QTest::addColumn<QString>("path");
}

const QByteArray kPlace = json("'textDocument':{'uri':'file:///a.txt'},'position':{'line':0,'character':0}");

} // namespace

class TestLspSessions : public QObject
{
    Q_OBJECT

private slots:
    void session_answersAsRecorded_data()
    {
        QTest::addColumn<QString>("path");
        const QDir sessions(QStringLiteral(TALEWICK_LSP_SESSIONS));
        const QStringList names = sessions.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
        QVERIFY(!names.isEmpty());
        for (const QString &name : names)
            QTest::newRow(qPrintable(name)) << sessions.filePath(name);
    }
    void session_answersAsRecorded()
    {
        QFETCH(QString, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QByteArray text = file.readAll();
        text.replace("${ROOT}", QUrl::fromLocalFile(root.path()).toString(QUrl::FullyEncoded).toUtf8());
        QJsonParseError error;
        QJsonArray steps = QJsonDocument::fromJson(text, &error).array();
        QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
        if (!sendsInitialize(steps)) {
            for (qsizetype i = kSharedBeginning.size() - 1; i >= 0; --i)
                steps.prepend(kSharedBeginning.at(i));
        }
        if (!std::any_of(steps.begin(), steps.end(),
                         [](const QJsonValue &step) { return step.toObject().contains(QLatin1String("exitCode")); })) {
            for (const QJsonValue &step : kSharedEnd)
                steps.append(step);
        }

        QByteArray written;
        Lsp::Server server({nullptr, QStringLiteral("test")}, [&](const QByteArray &bytes) { written += bytes; });
        Lsp::MessageReader reader;
        QJsonArray said; // what the server wrote and the session has not yet looked at
        const auto take = [&] {
            reader.feed(written);
            written.clear();
            while (std::optional<Lsp::MessageReader::Item> item = reader.next())
                said.append(QJsonDocument::fromJson(item->content).object());
        };
        for (qsizetype i = 0; i < steps.size(); ++i) {
            const QJsonObject step = steps.at(i).toObject();
            const QString where = QStringLiteral("step %1").arg(i);
            if (step.contains(QLatin1String("file"))) {
                QFile script(root.filePath(step.value(QLatin1String("file")).toString()));
                QVERIFY(QDir().mkpath(QFileInfo(script).path()));
                QVERIFY(script.open(QIODevice::WriteOnly));
                const QString text = step.value(QLatin1String("text")).toString();
                const QString encoding = step.value(QLatin1String("encoding")).toString();
                script.write(encoding.isEmpty() ? CodePage932::encode(text)
                                                : QByteArray(QStringEncoder(encoding.toLatin1().constData())(text)));
            } else if (step.contains(QLatin1String("remove"))) {
                QVERIFY(QFile::remove(root.filePath(step.value(QLatin1String("remove")).toString())));
            } else if (step.contains(QLatin1String("send"))) {
                server.receive(framed(QJsonDocument(step.value(QLatin1String("send")).toObject()).toJson()));
            } else if (step.contains(QLatin1String("raw"))) {
                server.receive(step.value(QLatin1String("raw")).toString().toUtf8());
            } else if (step.contains(QLatin1String("idle"))) {
                // As the event loop does: again while the server says work remains.
                while (server.idle()) {
                }
            } else if (step.contains(QLatin1String("expect"))) {
                take();
                QVERIFY2(!said.isEmpty(), qPrintable(where + QStringLiteral(": the server said nothing")));
                const QJsonValue actual = said.takeAt(0);
                const QString difference = mismatch(step.value(QLatin1String("expect")), actual, QStringLiteral("$"));
                QVERIFY2(
                    difference.isEmpty(),
                    qPrintable(where + u' ' + difference + u'\n' +
                               QString::fromUtf8(QJsonDocument(actual.toObject()).toJson(QJsonDocument::Compact))));
            } else if (step.contains(QLatin1String("expectNothing"))) {
                take();
                QVERIFY2(
                    said.isEmpty(),
                    qPrintable(where + u' ' +
                               QString::fromUtf8(QJsonDocument(said.at(0).toObject()).toJson(QJsonDocument::Compact))));
            } else if (step.contains(QLatin1String("exitCode"))) {
                QVERIFY2(server.exited(), qPrintable(where));
                QCOMPARE(server.exitCode(), step.value(QLatin1String("exitCode")).toInt());
            } else {
                QFAIL(qPrintable(where + QStringLiteral(": unknown step")));
            }
        }
    }

    // Params that do not read are refused with the path of the first field that
    // does not and -32602, whichever request it is.
    void badParams_requestIsRefusedNamingTheField_data()
    {
        addBadParamsColumns();
        const QString definition = QStringLiteral("textDocument/definition");
        const QString references = QStringLiteral("textDocument/references");
        const QString initialize = QStringLiteral("initialize");
        QTest::newRow("line a string")
            << definition << json("{'textDocument':{'uri':'file:///a.txt'},'position':{'line':'1','character':0}}")
            << QStringLiteral("params.position.line");
        QTest::newRow("line and character bad: the first")
            << definition << json("{'textDocument':{'uri':'file:///a.txt'},'position':{'line':-1,'character':'x'}}")
            << QStringLiteral("params.position.line");
        QTest::newRow("no position") << definition << json("{'textDocument':{'uri':'file:///a.txt'}}")
                                     << QStringLiteral("params.position");
        QTest::newRow("uri a number") << QStringLiteral("textDocument/hover")
                                      << json("{'textDocument':{'uri':5},'position':{'line':0,'character':0}}")
                                      << QStringLiteral("params.textDocument.uri");
        QTest::newRow("no document") << references << json("{'position':{'line':0,'character':0}}")
                                     << QStringLiteral("params.textDocument");
        QTest::newRow("includeDeclaration a string")
            << references << "{" + kPlace + json(",'context':{'includeDeclaration':'yes'}}")
            << QStringLiteral("params.context.includeDeclaration");
        QTest::newRow("no new name") << QStringLiteral("textDocument/rename") << "{" + kPlace + "}"
                                     << QStringLiteral("params.newName");
        QTest::newRow("character a fraction")
            << QStringLiteral("textDocument/prepareRename")
            << json("{'textDocument':{'uri':'file:///a.txt'},'position':{'line':0,'character':1.5}}")
            << QStringLiteral("params.position.character");
        QTest::newRow("range end negative")
            << QStringLiteral("textDocument/codeAction")
            << json("{'textDocument':{'uri':'file:///a.txt'},"
                    "'range':{'start':{'line':0,'character':0},'end':{'line':0,'character':-2}},"
                    "'context':{'diagnostics':[]}}")
            << QStringLiteral("params.range.end.character");
        QTest::newRow("document an array") << QStringLiteral("textDocument/documentSymbol")
                                           << json("{'textDocument':[]}") << QStringLiteral("params.textDocument");
        QTest::newRow("no params") << QStringLiteral("textDocument/completion") << QByteArray()
                                   << QStringLiteral("params");
        QTest::newRow("params an array") << definition << QByteArray("[1,2]") << QStringLiteral("params");
        QTest::newRow("folder uri a number")
            << initialize << json("{'capabilities':{},'workspaceFolders':[{'uri':'file:///w'},{'uri':5}]}")
            << QStringLiteral("params.workspaceFolders[1].uri");
        QTest::newRow("folders an object") << initialize << json("{'capabilities':{},'workspaceFolders':{}}")
                                           << QStringLiteral("params.workspaceFolders");
        QTest::newRow("root uri a number")
            << initialize << json("{'capabilities':{},'rootUri':7}") << QStringLiteral("params.rootUri");
        QTest::newRow("token delta without the previous result")
            << QStringLiteral("textDocument/semanticTokens/full/delta")
            << json("{'textDocument':{'uri':'file:///a.txt'}}") << QStringLiteral("params.previousResultId");
    }
    void badParams_requestIsRefusedNamingTheField()
    {
        QFETCH(QString, method);
        QFETCH(QByteArray, params);
        QFETCH(QString, path);
        QByteArray written;
        Lsp::Server server({nullptr, QStringLiteral("test")}, [&](const QByteArray &bytes) { written += bytes; });
        if (method != QLatin1String("initialize"))
            server.receive(framed(message(QStringLiteral("initialize"), json("{'capabilities':{}}"), "1")));
        written.clear();
        server.receive(framed(message(method, params, "7")));
        const QJsonArray said = messagesIn(written);
        QCOMPARE(said.size(), 1);
        QCOMPARE(said.at(0)[QLatin1String("id")].toInt(), 7);
        const QJsonValue error = said.at(0)[QLatin1String("error")];
        QCOMPARE(error[QLatin1String("code")].toInt(), Lsp::ErrorCode::kInvalidParams);
        const QString text = error[QLatin1String("message")].toString();
        QVERIFY2(text.startsWith(path + QStringLiteral(": ")), qPrintable(text));
    }

    // A notification has no answer: what does not read is logged with its path, and nothing else is said.
    void badParams_notificationIsLoggedNamingTheField_data()
    {
        addBadParamsColumns();
        const QString change = QStringLiteral("textDocument/didChange");
        const QString open = QStringLiteral("textDocument/didOpen");
        const QByteArray document = json("'textDocument':{'uri':'file:///a.txt','version':2}");
        const QByteArray range = json("'range':{'start':{'line':0,'character':0},'end':{'line':0,'character':0}}");
        QTest::newRow("third change's start")
            << change
            << "{" + document + json(",'contentChanges':[{") + range +
                   json(",'text':'a'},{'text':'b'},"
                        "{'range':{'start':{'line':0,'character':'x'},'end':{'line':0,'character':0}},'text':'c'}]}")
            << QStringLiteral("params.contentChanges[2].range.start.character");
        QTest::newRow("changes not a list")
            << change << "{" + document + json(",'contentChanges':{}}") << QStringLiteral("params.contentChanges");
        QTest::newRow("range null") << change << "{" + document + json(",'contentChanges':[{'range':null,'text':'a'}]}")
                                    << QStringLiteral("params.contentChanges[0].range");
        QTest::newRow("change without text") << change << "{" + document + json(",'contentChanges':[{") + range + "}]}"
                                             << QStringLiteral("params.contentChanges[0].text");
        QTest::newRow("version a string")
            << change << json("{'textDocument':{'uri':'file:///a.txt','version':'2'},'contentChanges':[]}")
            << QStringLiteral("params.textDocument.version");
        QTest::newRow("open without text") << open << json("{'textDocument':{'uri':'file:///a.txt','version':1}}")
                                           << QStringLiteral("params.textDocument.text");
        QTest::newRow("open with an empty uri") << open << json("{'textDocument':{'uri':'','version':1,'text':''}}")
                                                << QStringLiteral("params.textDocument.uri");
        QTest::newRow("close with a number")
            << QStringLiteral("textDocument/didClose") << json("{'textDocument':{'uri':3}}")
            << QStringLiteral("params.textDocument.uri");
        QTest::newRow("watched file without uri")
            << QStringLiteral("workspace/didChangeWatchedFiles") << json("{'changes':[{'type':2}]}")
            << QStringLiteral("params.changes[0].uri");
    }
    void badParams_notificationIsLoggedNamingTheField()
    {
        QFETCH(QString, method);
        QFETCH(QByteArray, params);
        QFETCH(QString, path);
        QByteArray written;
        Lsp::Server server({nullptr, QStringLiteral("test")}, [&](const QByteArray &bytes) { written += bytes; });
        server.receive(framed(message(QStringLiteral("initialize"), json("{'capabilities':{}}"), "1")));
        server.receive(framed(message(QStringLiteral("textDocument/didOpen"),
                                      json("{'textDocument':{'uri':'file:///a.txt','version':1,'text':'x'}}"), "")));
        written.clear();
        server.receive(framed(message(method, params, "")));
        const QJsonArray said = messagesIn(written);
        QCOMPARE(said.size(), 1);
        QCOMPARE(said.at(0)[QLatin1String("method")].toString(), QStringLiteral("window/logMessage"));
        const QString text = said.at(0)[QLatin1String("params")][QLatin1String("message")].toString();
        QVERIFY2(text.contains(u' ' + path + QStringLiteral(": ")), qPrintable(text));
    }

    // The conversation's flow is published once the input pauses, not with each change.
    void flowFindings_arePublishedWhenTheFlowIsJudged()
    {
        QByteArray written;
        Lsp::Server server({nullptr, QStringLiteral("test")}, [&](const QByteArray &bytes) { written += bytes; });
        const auto send = [&](const QByteArray &json) { server.receive(framed(json)); };
        send(R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{"capabilities":{}}})");
        send(R"({"jsonrpc":"2.0","method":"initialized","params":{}})");
        const QJsonObject document{{"uri", "file:///a.txt"},
                                   {"version", 1},
                                   {"text", "m.tsg,1,2,0\tscript\tA\t1,{\n\tmes \"Bye.\";\n\tend;\n}"}};
        send(QJsonDocument(QJsonObject{{"jsonrpc", "2.0"},
                                       {"method", "textDocument/didOpen"},
                                       {"params", QJsonObject{{"textDocument", document}}}})
                 .toJson(QJsonDocument::Compact));
        while (server.idle()) {
        }
        QVERIFY2(written.contains("publishDiagnostics"), written.constData());
        QVERIFY(!written.contains("TW501"));
        written.clear();
        QVERIFY(server.judgeFlow());
        while (server.idle()) {
        }
        QVERIFY2(written.contains(R"("code":"TW501")"), written.constData());
        written.clear();
        QVERIFY(!server.judgeFlow()); // nothing changed since
        send(R"({"jsonrpc":"2.0","method":"textDocument/didChange","params":{"textDocument":{"uri":"file:///a.txt",)"
             R"("version":2},"contentChanges":[{"range":{"start":{"line":2,"character":1},"end":{"line":2,)"
             R"("character":4}},"text":"close"}]}})");
        QVERIFY(server.judgeFlow());
        while (server.idle()) {
        }
        QVERIFY(!written.contains("TW501"));
    }

    // A flow finding's path goes to the client as related information: for a close
    // on an empty window, the close2 before it and the condition that held.
    void flowFinding_emptyWindow_sendsItsPathAsRelatedInformation()
    {
        QByteArray written;
        Lsp::Server server({nullptr, QStringLiteral("test")}, [&](const QByteArray &bytes) { written += bytes; });
        const auto send = [&](const QByteArray &json) { server.receive(framed(json)); };
        send(R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{"capabilities":{}}})");
        send(R"({"jsonrpc":"2.0","method":"initialized","params":{}})");
        const QJsonObject document{
            {"uri", "file:///a.txt"},
            {"version", 1},
            {"text", "m.tsg,1,2,0\tscript\tA\t1,{\n\tmes \"a\";\n\tclose2;\n\tif (Zeny < 5)\n\t\tclose;\n\tend;\n}"}};
        send(QJsonDocument(QJsonObject{{"jsonrpc", "2.0"},
                                       {"method", "textDocument/didOpen"},
                                       {"params", QJsonObject{{"textDocument", document}}}})
                 .toJson(QJsonDocument::Compact));
        while (server.idle()) {
        }
        written.clear();
        QVERIFY(server.judgeFlow());
        while (server.idle()) {
        }
        const QJsonObject published =
            QJsonDocument::fromJson(written.mid(written.indexOf("\r\n\r\n") + 4)).object().value("params").toObject();
        const QJsonArray diagnostics = published.value("diagnostics").toArray();
        QCOMPARE(diagnostics.size(), 1);
        const QJsonObject finding = diagnostics.at(0).toObject();
        QCOMPARE(finding.value("code").toString(), QStringLiteral("TW502"));
        QCOMPARE(finding.value("range").toObject().value("start").toObject().value("line").toInt(), 4);
        QList<int> lines;
        for (const QJsonValue &related : finding.value("relatedInformation").toArray()) {
            const QJsonObject location = related.toObject().value("location").toObject();
            QCOMPARE(location.value("uri").toString(), QStringLiteral("file:///a.txt"));
            lines << location.value("range").toObject().value("start").toObject().value("line").toInt();
            QVERIFY(!related.toObject().value("message").toString().isEmpty());
        }
        QCOMPARE(lines, (QList<int>{2, 3}));
    }

    // A script past a million lines is not kept in the store: opened whole, or
    // grown so by a change, it is refused with a message, and the server goes on.
    void tooLargeScript_isRefusedWithAMessage_data()
    {
        QTest::addColumn<bool>("grown");
        QTest::addColumn<QByteArray>("rangeEnd"); // of the change that grows it
        QTest::newRow("opened") << false << QByteArray();
        QTest::newRow("grown by a change") << true << QByteArray(R"({"line":0,"character":0})");
        QTest::newRow("grown by a change whose range runs past the end")
            << true << QByteArray(R"({"line":5000000,"character":0})");
    }
    void tooLargeScript_isRefusedWithAMessage()
    {
        QFETCH(bool, grown);
        QFETCH(QByteArray, rangeEnd);
        QByteArray written;
        Lsp::Server server({nullptr, QStringLiteral("test")}, [&](const QByteArray &bytes) { written += bytes; });
        const auto send = [&](const QByteArray &json) { server.receive(framed(json)); };
        const QByteArray lines(Lsp::Server::kMaxLines, '\n');
        const QByteArray uri = R"({"uri":"file:///big.txt")";
        send(R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{"capabilities":{}}})");
        written.clear();
        if (grown) {
            send(R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":)" + uri +
                 R"(,"version":1,"text":"x"}}})");
            send(R"({"jsonrpc":"2.0","method":"textDocument/didChange","params":{"textDocument":)" + uri +
                 R"(,"version":2},"contentChanges":[{"range":{"start":{"line":0,"character":0},"end":)" + rangeEnd +
                 R"(},"text":")" + QByteArray(lines).replace("\n", "\\n") + R"("}]}})");
        } else {
            send(R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":)" + uri +
                 R"(,"version":1,"text":")" + QByteArray(lines).replace("\n", "\\n") + R"("}}})");
        }
        QVERIFY(written.contains("window/showMessage"));
        send(R"({"jsonrpc":"2.0","id":2,"method":"textDocument/hover","params":{"textDocument":)" + uri +
             R"(},"position":{"line":0,"character":0}}})");
        QVERIFY2(written.contains(R"("code":-32803)"), written.right(300).constData());
        send(R"({"jsonrpc":"2.0","method":"textDocument/didChange","params":{"textDocument":)" + uri +
             R"(,"version":3},"contentChanges":[{"text":"x"}]}})");
        send(R"({"jsonrpc":"2.0","id":3,"method":"shutdown"})");
        QVERIFY(written.endsWith(R"({"id":3,"jsonrpc":"2.0","result":null})"));
    }
};

QTEST_GUILESS_MAIN(TestLspSessions)
#include "test_lsp_sessions.moc"
