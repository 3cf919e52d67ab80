// Hover and completion on the items and monsters a server's folder knows, on the
// small hand-written folder; "^" marks the cursor.
#include "checker/server_table.h"
#include "language_server/completion.h"
#include "language_server/hover.h"

#include "../checker/server_folder_sample.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Lsp;

namespace {

const QString kUri = QStringLiteral("file:///scratch/harbor.txt");

std::shared_ptr<const Commands::Table> sampleTable()
{
    static QTemporaryDir dir;
    static const std::shared_ptr<const Commands::Table> table = [] {
        SampleServer::write(dir.path());
        return ServerTable::forFolder(ServerTable::read(dir.path()), *Commands::Table::builtIn(), false);
    }();
    return table;
}

// One open script checked with `table`; the body follows an NPC's definition line.
class ScriptContext : public Context
{
public:
    ScriptContext(const QString &body, std::shared_ptr<const Commands::Table> table)
        : cursor_(cursorOf(body)), document_(QStringLiteral("harbor01.tsg,1,1,0\tscript\tA\t1,{\n") +
                                                 QString(body).remove(u'^') + QStringLiteral("\n}"),
                                             std::move(table))
    {
    }
    Position cursor() const { return cursor_; }
    const TextDocument &document(const QString &) const override { return document_; }
    QVector<Location> functionDefinitions(const QString &) const override { return {}; }
    bool workspaceComplete() const override { return true; }
    QStringList functionNames() const override { return {}; }
    const Commands::Table &commands() const override { return *Commands::Table::builtIn(); }
    const ClientCapabilities &client() const override { return client_; }

private:
    static Position cursorOf(const QString &body)
    {
        const qsizetype at = body.indexOf(u'^');
        const QString before = body.left(at);
        return Position{1 + int(before.count(u'\n')), int(at - before.lastIndexOf(u'\n') - 1)};
    }
    Position cursor_;
    TextDocument document_;
    ClientCapabilities client_{true, true, false};
};

QStringList labelsOf(const CompletionList &list)
{
    QStringList labels;
    for (const CompletionItem &item : list.items)
        labels << item.label + u'=' + item.textEdit.newText;
    return labels;
}

} // namespace

class LspServerNamesTest : public QObject
{
    Q_OBJECT

private slots:
    void hover_itemOrMonster_showsItsNamesAndId_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("shows"); // empty: no item or monster is named there
        QTest::newRow("item by number") << "\tgetitem 60^2,1;"
                                        << "**Blue_Tonic**（Blue Tonic） ID 602";
        QTest::newRow("item by name") << "\tdelitem \"Blue_T^onic\",1;"
                                      << "**Blue_Tonic**（Blue Tonic） ID 602";
        QTest::newRow("item counted in a condition") << "\tif (countitem(^601) > 0) end;"
                                                     << "**Green_Herb_Tea**（Green Herb Tea） ID 601";
        QTest::newRow("monster by number") << "\tmonster \"harbor01.tsg\",1,1,\"Crab\",11^00,1;"
                                           << "モンスター **SAND_CRAB**（Sand Crab） ID 1100";
        QTest::newRow("monster by its script name anywhere") << "\tmes SAND^_CRAB;"
                                                             << "**SAND_CRAB**";
        QTest::newRow("number outside an item argument") << "\t.@n = 60^2;"
                                                         << "";
        QTest::newRow("item the table lacks") << "\tgetitem 60^20,1;"
                                              << "";
        QTest::newRow("item of a shop line") << "\tend;\n}\nharbor01.tsg,1,1,4\tshop\tS\t83,601:50,60^2:40\n{"
                                             << "**Blue_Tonic**（Blue Tonic） ID 602";
        QTest::newRow("sprite of a shop line") << "\tend;\n}\nharbor01.tsg,1,1,4\tshop\tS\t60^2,601:50\n{"
                                               << "";
        QTest::newRow("monster of a monster line") << "\tend;\n}\nharbor01.tsg,0,0,0,0\tmonster\tBat\t1^101,5,0,0\n{"
                                                   << "**BAT**（Bat） ID 1101";
    }
    void hover_itemOrMonster_showsItsNamesAndId()
    {
        QFETCH(QString, body);
        QFETCH(QString, shows);
        const ScriptContext context(body, sampleTable());
        const std::optional<Hover> answer = hover(context, PositionParams{kUri, context.cursor()});
        if (shows.isEmpty())
            QVERIFY(!answer || !answer->markdown.contains(QStringLiteral(" ID ")));
        else
            QVERIFY2(answer && answer->markdown.contains(shows), answer ? qPrintable(answer->markdown) : "none");
    }

    void completion_itemOrMonsterArgument_offersNamesWritingIds_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QStringList>("offered"); // label=inserted; empty: the usual words
        QTest::newRow("item argument, part typed") << "\tgetitem blue^" << QStringList{"Blue_Tonic=602"};
        QTest::newRow("item argument, nothing typed")
            << "\tgetitem ^" << QStringList{"Green_Herb_Tea=601", "Blue_Tonic=602", "Copper_Key=603"};
        QTest::newRow("item of a call in a condition") << "\tif (countitem(Gr^" << QStringList{"Green_Herb_Tea=601"};
        QTest::newRow("monster argument")
            << "\tmonster \"harbor01.tsg\",1,1,\"Crab\",^" << QStringList{"SAND_CRAB=1100", "BAT=1101"};
        QTest::newRow("the count after the item") << "\tgetitem 601,^" << QStringList();
        QTest::newRow("the map of a monster") << "\tmonster ^" << QStringList();
    }
    void completion_itemOrMonsterArgument_offersNamesWritingIds()
    {
        QFETCH(QString, body);
        QFETCH(QStringList, offered);
        const ScriptContext context(body, sampleTable());
        const QStringList labels = labelsOf(completion(context, PositionParams{kUri, context.cursor()}));
        if (offered.isEmpty())
            QVERIFY2(labels.contains(QStringLiteral("mes=mes")), qPrintable(labels.join(u' ')));
        else
            QCOMPARE(labels, offered);
    }

    void completion_withoutAFolder_offersTheUsualWords()
    {
        const ScriptContext context(QStringLiteral("\tgetitem ^"), Commands::Table::builtIn());
        const QStringList labels = labelsOf(completion(context, PositionParams{kUri, context.cursor()}));
        QVERIFY(labels.contains(QStringLiteral("mes=mes")));
        QVERIFY(!labels.join(u' ').contains(QStringLiteral("Blue_Tonic")));
    }
};

QTEST_GUILESS_MAIN(LspServerNamesTest)
#include "test_lsp_server_names.moc"
