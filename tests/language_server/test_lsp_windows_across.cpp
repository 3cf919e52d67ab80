// The language server shares what the workspace's functions do to the
// conversation window: an edit in a function's script changes the findings of the
// scripts that call it exactly as opening both afresh would.
#include "language_server/message_reader.h"
#include "language_server/server.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

const QString kFunctionsUri = QStringLiteral("file:///w/funcs.txt");
const QString kCallerUri = QStringLiteral("file:///w/npc.txt");
const QString kOtherUri = QStringLiteral("file:///w/other.txt");

QByteArray framed(const QJsonObject &message)
{
    const QByteArray content = QJsonDocument(message).toJson(QJsonDocument::Compact);
    return "Content-Length: " + QByteArray::number(content.size()) + "\r\n\r\n" + content;
}

QJsonObject notification(const QString &method, const QJsonObject &params)
{
    return {{"jsonrpc", "2.0"}, {"method", method}, {"params", params}};
}

// A server with the scripts open, its flow judged and its findings published.
class Session
{
public:
    explicit Session(const QVector<std::pair<QString, QString>> &scripts, const QString &rootUri = QString())
        : server_({nullptr, QStringLiteral("test")}, [this](const QByteArray &bytes) { written_ += bytes; })
    {
        QJsonObject params{{"capabilities", QJsonObject{}}};
        if (!rootUri.isEmpty())
            params.insert("rootUri", rootUri);
        server_.receive(framed({{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", params}}));
        server_.receive(framed(notification("initialized", {})));
        for (const auto &[uri, text] : scripts)
            server_.receive(framed(notification(
                "textDocument/didOpen",
                {{"textDocument", QJsonObject{{"uri", uri}, {"version", 1}, {"languageId", "x"}, {"text", text}}}})));
        settle();
    }

    void notify(const QString &method, const QJsonObject &params)
    {
        server_.receive(framed(notification(method, params)));
        settle();
    }

    void replaceAll(const QString &uri, const QString &text)
    {
        server_.receive(framed(notification("textDocument/didChange",
                                            {{"textDocument", QJsonObject{{"uri", uri}, {"version", ++version_}}},
                                             {"contentChanges", QJsonArray{QJsonObject{{"text", text}}}}})));
        settle();
    }

    // The diagnostics last published for `uri`, and how many times they were.
    QJsonArray published(const QString &uri) const { return published_.value(uri); }
    int publications(const QString &uri) const { return publications_.value(uri); }

private:
    void settle()
    {
        while (server_.idle()) {
        }
        server_.judgeFlow();
        while (server_.idle()) {
        }
        Lsp::MessageReader reader;
        reader.feed(written_);
        written_.clear();
        while (std::optional<Lsp::MessageReader::Item> item = reader.next()) {
            const QJsonObject message = QJsonDocument::fromJson(item->content).object();
            if (message.value("method") != QLatin1String("textDocument/publishDiagnostics"))
                continue;
            const QString uri = message.value("params").toObject().value("uri").toString();
            published_.insert(uri, message.value("params").toObject().value("diagnostics").toArray());
            ++publications_[uri];
        }
    }

    QByteArray written_;
    Lsp::Server server_;
    int version_ = 1;
    QHash<QString, QJsonArray> published_;
    QHash<QString, int> publications_;
};

QString functionFile(const QStringList &statements)
{
    return QStringLiteral("function\tscript\tF_Hello\t{\n\t%1\n}\n").arg(statements.join(QStringLiteral("\n\t")));
}

const QString kCaller =
    QStringLiteral("prontera,150,150,4\tscript\tGreeter\t4_F_01,{\n\tcallfunc \"F_Hello\";\n\tend;\n}\n");

QStringList codesOf(const QJsonArray &diagnostics)
{
    QStringList codes;
    for (const QJsonValue &diagnostic : diagnostics)
        codes.append(QStringLiteral("%1 %2")
                         .arg(diagnostic.toObject().value("range").toObject().value("start").toObject().value("line").toInt())
                         .arg(diagnostic.toObject().value("code").toString()));
    return codes;
}

} // namespace

class LspWindowsAcrossTest : public QObject
{
    Q_OBJECT

private slots:
    void editInFunctionsScript_changesTheCallersFindings()
    {
        Session session({{kFunctionsUri, functionFile({"mes \"Hello.\";", "close;"})}, {kCallerUri, kCaller}});
        QCOMPARE(codesOf(session.published(kCallerUri)), QStringList());
        session.replaceAll(kFunctionsUri, functionFile({"mes \"Hello.\";", "return;"}));
        QCOMPARE(codesOf(session.published(kCallerUri)), QStringList{"2 TW501"});
        session.replaceAll(kFunctionsUri, functionFile({"mes \"Hello.\";", "close;"}));
        QCOMPARE(codesOf(session.published(kCallerUri)), QStringList());
    }

    // A script that calls no function whose summary changed is not published again.
    void editInFunctionsScript_leavesScriptsThatDoNotCallItAlone()
    {
        const QString other = QStringLiteral("-\tscript\tQuiet\t-1,{\n\tend;\n}\n");
        Session session({{kFunctionsUri, functionFile({"mes \"Hello.\";", "close;"})},
                         {kCallerUri, kCaller},
                         {kOtherUri, other}});
        const int before = session.publications(kOtherUri);
        const int callerBefore = session.publications(kCallerUri);
        session.replaceAll(kFunctionsUri, functionFile({"mes \"Hello.\";", "return;"}));
        QCOMPARE(session.publications(kOtherUri), before);
        QCOMPARE(session.publications(kCallerUri), callerBefore + 1);
        // A change that leaves what the function does as it was publishes the caller no more.
        session.replaceAll(kFunctionsUri, functionFile({"mes \"Hello again.\";", "return;"}));
        QCOMPARE(session.publications(kCallerUri), callerBefore + 1);
    }

    // Files on disk no open script stands for: a chain through two of them is followed,
    // the first read again to be asked what it does with the second.
    void functionsOnDisk_chainThroughThem_isFollowed()
    {
        QTemporaryDir folder;
        const auto write = [&](const QString &name, const QString &text) {
            QFile file(folder.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(text.toLatin1());
        };
        write("a.txt", "function\tscript\tF_Hello\t{\n\tcallfunc \"F_Deep\";\n\treturn;\n}\n");
        write("b.txt", "function\tscript\tF_Deep\t{\n\tmes \"deep\";\n\treturn;\n}\n");
        const QString root = QUrl::fromLocalFile(folder.path()).toString();
        Session session({{root + "/npc.txt", kCaller}}, root);
        QCOMPARE(codesOf(session.published(root + "/npc.txt")), QStringList{"2 TW501"});
        // The last link changed on disk, as the client reports it.
        write("b.txt", "function\tscript\tF_Deep\t{\n\tmes \"deep\";\n\tclose;\n}\n");
        session.notify("workspace/didChangeWatchedFiles",
                       {{"changes", QJsonArray{QJsonObject{{"uri", root + "/b.txt"}, {"type", 2}}}}});
        QCOMPARE(codesOf(session.published(root + "/npc.txt")), QStringList());
    }

    // Random edits of the functions' script, each compared with a fresh server that
    // opens both scripts as they then are.
    void randomEdits_callersFindingsAsAFreshOpenOfBoth_data()
    {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed : {1u, 2u, 3u, 4u, 5u, 6u})
            QTest::addRow("seed %u", seed) << seed;
    }
    void randomEdits_callersFindingsAsAFreshOpenOfBoth()
    {
        static const QStringList kStatements{
            "mes \"a\";",       "next;",  "close;", "close2;", "return;", "end;", "select(\"x:y\");",
            "callfunc \"F_Deep\";", "if (rand(2)) return;", "callfunc \"F_Hello\";", "warp \"prontera\",1,1;"};
        static const QString kDeep = QStringLiteral("function\tscript\tF_Deep\t{\n\tmes \"deep\";\n\treturn;\n}\n");
        const QString caller = QStringLiteral("prontera,150,150,4\tscript\tGreeter\t4_F_01,{\n"
                                              "\tcallfunc \"F_Hello\";\n\tend;\nL_Two:\n\tmes \"b\";\n"
                                              "\tif (callfunc(\"F_Hello\") == 1) close;\n\tend;\n}\n");
        QFETCH(quint32, seed);
        QRandomGenerator random(seed);
        QStringList statements{"mes \"a\";", "return;"};
        Session session({{kFunctionsUri, functionFile(statements)}, {kCallerUri, caller}, {"file:///w/deep.txt", kDeep}});
        for (int step = 0; step < 40; ++step) {
            const int at = int(random.bounded(statements.size() + 1));
            if (random.bounded(3) == 0 && !statements.isEmpty())
                statements.removeAt(std::min(at, int(statements.size()) - 1));
            else
                statements.insert(at, kStatements.at(int(random.bounded(kStatements.size()))));
            session.replaceAll(kFunctionsUri, functionFile(statements));
            const Session fresh({{kFunctionsUri, functionFile(statements)}, {kCallerUri, caller},
                                 {"file:///w/deep.txt", kDeep}});
            if (session.published(kCallerUri) != fresh.published(kCallerUri))
                QFAIL(qPrintable(QStringLiteral("step %1: %2\nincremental: %3\nfresh: %4")
                                     .arg(step)
                                     .arg(statements.join(u' '), codesOf(session.published(kCallerUri)).join(u','),
                                          codesOf(fresh.published(kCallerUri)).join(u','))));
        }
    }
};

QTEST_GUILESS_MAIN(LspWindowsAcrossTest)
#include "test_lsp_windows_across.moc"
