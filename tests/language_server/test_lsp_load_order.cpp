// What today's servers decide as they load the workspace's scripts one after
// another, published by the language server: judged across the scripts, open or
// on disk, in the order the project's server folder gives, and published again
// for an open script when another script's change decides otherwise.
#include "../checker/server_folder_sample.h"
#include "language_server/message_reader.h"
#include "language_server/server.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

QByteArray framed(const QJsonObject &message)
{
    const QByteArray content = QJsonDocument(message).toJson(QJsonDocument::Compact);
    return "Content-Length: " + QByteArray::number(content.size()) + "\r\n\r\n" + content;
}

QJsonObject notification(const QString &method, const QJsonObject &params)
{
    return {{"jsonrpc", "2.0"}, {"method", method}, {"params", params}};
}

QJsonObject position(int line, int character)
{
    return {{"line", line}, {"character", character}};
}

// A server over a workspace folder, its files read and its findings published.
class Session
{
public:
    explicit Session(const QString &root)
        : server_({nullptr, QStringLiteral("test")}, [this](const QByteArray &bytes) { written_ += bytes; })
    {
        QJsonObject params{{"capabilities", QJsonObject{}}, {"initializationOptions", QJsonObject{{"commands", ""}}}};
        if (!root.isEmpty())
            params.insert("rootUri", QUrl::fromLocalFile(root).toString());
        server_.receive(framed({{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", params}}));
        server_.receive(framed(notification("initialized", {})));
        settle();
    }

    void open(const QString &uri, const QString &text)
    {
        server_.receive(framed(notification(
            "textDocument/didOpen",
            {{"textDocument", QJsonObject{{"uri", uri}, {"version", 1}, {"languageId", "x"}, {"text", text}}}})));
        settle();
    }

    // Puts `text` at the start of `line`; without `pause`, typing goes on (the flow is not judged).
    void insert(const QString &uri, int line, const QString &text, bool pause = true)
    {
        const QJsonObject range{{"start", position(line, 0)}, {"end", position(line, 0)}};
        change(uri, QJsonObject{{"range", range}, {"text", text}}, pause);
    }
    void replaceAll(const QString &uri, const QString &text) { change(uri, QJsonObject{{"text", text}}); }

    // "line code" of each finding last published for `uri` whose code is one of `codes`.
    QStringList found(const QString &uri, const QStringList &codes) const
    {
        QStringList lines;
        for (const QJsonValue &value : published_.value(uri)) {
            const QJsonObject diagnostic = value.toObject();
            const QString code = diagnostic.value("code").toString();
            if (codes.contains(code))
                lines << QStringLiteral("%1 %2")
                             .arg(diagnostic["range"]["start"]["line"].toInt())
                             .arg(code);
        }
        return lines;
    }
    int publications(const QString &uri) const { return publications_.value(uri); }

private:
    void change(const QString &uri, const QJsonObject &change, bool pause = true)
    {
        server_.receive(framed(notification("textDocument/didChange",
                                            {{"textDocument", QJsonObject{{"uri", uri}, {"version", ++version_}}},
                                             {"contentChanges", QJsonArray{change}}})));
        settle(pause);
    }

    void settle(bool pause = true)
    {
        while (server_.idle()) {
        }
        if (pause)
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
            const QString uri = message["params"]["uri"].toString();
            published_.insert(uri, message["params"]["diagnostics"].toArray());
            ++publications_[uri];
        }
    }

    QByteArray written_;
    Lsp::Server server_;
    int version_ = 1;
    QHash<QString, QJsonArray> published_;
    QHash<QString, int> publications_;
};

const QStringList kLoadCodes{"TW222", "TW223", "TW333", "TW334"};

QString npc(const QString &name, const QString &body = QStringLiteral("\tclose;\n"))
{
    return QStringLiteral("harbor01,1,1,0\tscript\t%1\t56,{\n%2}\n").arg(name, body);
}

// A workspace holding a project whose server folder loads npc/a.txt and npc/b.txt
// in the order `lists` gives; each script's text as given.
bool writeWorkspace(const QString &root, const QByteArray &lists, const QString &a, const QString &b)
{
    QStringList files = SampleServer::files();
    files << QStringLiteral("npc/scripts_main.conf") << QString::fromUtf8(lists) << QStringLiteral("npc/a.txt")
          << a << QStringLiteral("npc/b.txt") << b;
    QFile project(QDir(root).filePath(QStringLiteral("talewick-check.ini")));
    return SampleServer::write(QDir(root).filePath(QStringLiteral("server")), files) &&
           project.open(QIODevice::WriteOnly) && project.write("server = server\r\ntarget = today\r\n") > 0;
}

QString uriOf(const QString &root, const QString &script)
{
    return QUrl::fromLocalFile(QDir(root).filePath(QStringLiteral("server/npc/") + script)).toString();
}

} // namespace

class LspLoadOrderTest : public QObject
{
    Q_OBJECT

private slots:
    // With the server folder's order, the NPC loaded later loses the name; a script
    // on disk counts as an open one does.
    void uniqueNameTwice_knownOrder_isFoundOnTheLaterScriptOnly_data()
    {
        QTest::addColumn<QByteArray>("lists");
        QTest::addColumn<QStringList>("onA");
        QTest::addColumn<QStringList>("onB");
        QTest::newRow("a first") << QByteArray("npc: npc/a.txt\nnpc: npc/b.txt\n") << QStringList()
                                 << QStringList{"0 TW333"};
        QTest::newRow("b first") << QByteArray("npc: npc/b.txt\nnpc: npc/a.txt\n") << QStringList{"0 TW333"}
                                 << QStringList();
        // Files of unknown order may not be loaded together: neither is judged.
        QTest::newRow("a not listed") << QByteArray("npc: npc/b.txt\n") << QStringList() << QStringList();
    }
    void uniqueNameTwice_knownOrder_isFoundOnTheLaterScriptOnly()
    {
        QFETCH(QByteArray, lists);
        QFETCH(QStringList, onA);
        QFETCH(QStringList, onB);
        QTemporaryDir dir;
        QVERIFY(writeWorkspace(dir.path(), lists, npc("Ferryman"), npc("Ferryman")));
        Session session(dir.path());
        session.open(uriOf(dir.path(), "b.txt"), npc("Ferryman")); // a.txt stays on disk
        QCOMPARE(session.found(uriOf(dir.path(), "b.txt"), kLoadCodes), onB);
        session.open(uriOf(dir.path(), "a.txt"), npc("Ferryman"));
        QCOMPARE(session.found(uriOf(dir.path(), "a.txt"), kLoadCodes), onA);
        QCOMPARE(session.found(uriOf(dir.path(), "b.txt"), kLoadCodes), onB);
    }

    // Renaming the first NPC publishes the second script again, without the finding;
    // an edit that offers the same names publishes it no more.
    void editInOneScript_publishesTheOtherAgain_onlyWhenWhatItOffersChanges()
    {
        QTemporaryDir dir;
        QVERIFY(writeWorkspace(dir.path(), "npc: npc/a.txt\nnpc: npc/b.txt\n", npc("Ferryman"), npc("Ferryman")));
        Session session(dir.path());
        const QString a = uriOf(dir.path(), "a.txt");
        const QString b = uriOf(dir.path(), "b.txt");
        session.open(a, npc("Ferryman"));
        session.open(b, npc("Ferryman"));
        QCOMPARE(session.found(b, kLoadCodes), QStringList{"0 TW333"});
        const int before = session.publications(b);
        session.replaceAll(a, npc("Ferryman", "\tmes \"Aboard.\";\n\tclose;\n"));
        QCOMPARE(session.publications(b), before);
        session.replaceAll(a, npc("Boatman"));
        QCOMPARE(session.found(b, kLoadCodes), QStringList());
        QCOMPARE(session.publications(b), before + 1);
        session.replaceAll(a, npc("Ferryman"));
        QCOMPARE(session.found(b, kLoadCodes), QStringList{"0 TW333"});
    }

    // A function called by name in another script: judged by the order, and left
    // alone where the order is not known.
    void functionOfAnotherScript_calledByName_followsTheOrder_data()
    {
        QTest::addColumn<QByteArray>("lists");
        QTest::addColumn<QStringList>("onB");
        QTest::newRow("defined first") << QByteArray("npc: npc/a.txt\nnpc: npc/b.txt\n") << QStringList();
        QTest::newRow("defined later") << QByteArray("npc: npc/b.txt\nnpc: npc/a.txt\n") << QStringList{"1 TW222"};
        QTest::newRow("order unknown") << QByteArray("npc: npc/b.txt\n") << QStringList();
    }
    void functionOfAnotherScript_calledByName_followsTheOrder()
    {
        QFETCH(QByteArray, lists);
        QFETCH(QStringList, onB);
        const QString functions = QStringLiteral("function\tscript\tF_Toll\t{\n\treturn getarg(0) * 2;\n}\n");
        const QString gate = npc("Gate", "\tF_Toll(2);\n\tend;\n");
        QTemporaryDir dir;
        QVERIFY(writeWorkspace(dir.path(), lists, functions, gate));
        Session session(dir.path());
        session.open(uriOf(dir.path(), "b.txt"), gate);
        QCOMPARE(session.found(uriOf(dir.path(), "b.txt"), kLoadCodes), onB);
    }

    // A duplicate's source missing from every script of the order is found once
    // the workspace is read; defined in a script loaded first, it is not.
    void duplicateSource_missingEverywhere_isFound()
    {
        const QString copy = QStringLiteral("harbor01,3,3,0\tduplicate(Ferryman)\tFerryman#2\t56\n");
        QTemporaryDir dir;
        QVERIFY(writeWorkspace(dir.path(), "npc: npc/a.txt\nnpc: npc/b.txt\n", npc("Boatman"), copy));
        Session session(dir.path());
        const QString b = uriOf(dir.path(), "b.txt");
        session.open(b, copy);
        QCOMPARE(session.found(b, kLoadCodes), QStringList{"0 TW334"});
        session.open(uriOf(dir.path(), "a.txt"), npc("Ferryman"));
        QCOMPARE(session.found(b, kLoadCodes), QStringList());
    }

    // While typing goes on the script is not judged again: its findings move with
    // their lines, and the pause judges what the edit changed.
    void typing_movesTheFindingsWithTheirLines_untilThePause()
    {
        Session session({});
        const QString uri = QStringLiteral("untitled:ferry");
        session.open(uri, npc("Ferryman") + npc("Ferryman"));
        QCOMPARE(session.found(uri, kLoadCodes), QStringList{"3 TW333"});
        session.insert(uri, 0, "// ferries\n", false);
        QCOMPARE(session.found(uri, kLoadCodes), QStringList{"4 TW333"});
        // Lines written at the start of its line rewrite that line: the finding stays
        // on it until the pause finds it three lines down.
        session.insert(uri, 4, npc("Boatman"), false);
        QCOMPARE(session.found(uri, kLoadCodes), QStringList{"4 TW333"});
        session.insert(uri, 0, "", true);
        QCOMPARE(session.found(uri, kLoadCodes), QStringList{"7 TW333"});
        session.insert(uri, 0, npc("Ferryman"));
        QCOMPARE(session.found(uri, kLoadCodes), (QStringList{"4 TW333", "10 TW333"}));
    }

    // A body that declares a function of the name it calls calls its own: the
    // call asks no other script for it, though nothing else on its line changes.
    void declarationAdded_inTheCallingBody_clearsTheCallByName()
    {
        Session session({});
        const QString uri = QStringLiteral("untitled:gate");
        session.open(uri, npc("Gate", "\tmes \"Toll.\";\n\tF_Go();\n\tend;\n") +
                              "function\tscript\tF_Go\t{\n\treturn;\n}\n");
        QCOMPARE(session.found(uri, kLoadCodes), QStringList{"2 TW222"});
        // Above the line before the call: the check reads the call's line again only for its label.
        session.insert(uri, 1, "\tfunction F_Go;\n");
        QCOMPARE(session.found(uri, kLoadCodes), QStringList());
    }
};

QTEST_GUILESS_MAIN(LspLoadOrderTest)
#include "test_lsp_load_order.moc"
