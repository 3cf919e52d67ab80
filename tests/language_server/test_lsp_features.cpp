// The features, called directly on a script. Each row is a script in which "^"
// marks the cursor and "[[ ]]" the ranges the answer should hold, in order,
// with what else the answer should be.
#include "language_server/completion.h"
#include "language_server/definition.h"
#include "language_server/document_symbols.h"
#include "language_server/findings.h"
#include "language_server/hover.h"
#include "language_server/quick_fixes.h"
#include "language_server/references.h"
#include "language_server/rename.h"
#include "language_server/workspace.h"

#include <QTest>

using namespace Lsp;

namespace {

const QString kUri = QStringLiteral("file:///scratch/ferry.txt");

// A script with its marks taken out: where "^" stood, and each "[[ ]]".
struct Marked
{
    QString text;
    Position cursor;
    QVector<Range> ranges;
};

Marked marked(const QString &script)
{
    Marked result;
    Position at;
    for (qsizetype i = 0; i < script.size(); ++i) {
        const QStringView rest = QStringView(script).sliced(i);
        if (rest.startsWith(u"[[")) {
            result.ranges.append(Range{at, at});
            ++i;
        } else if (rest.startsWith(u"]]")) {
            for (auto range = result.ranges.rbegin(); range != result.ranges.rend(); ++range) {
                if (range->end == range->start) {
                    range->end = at;
                    break;
                }
            }
            ++i;
        } else if (rest.startsWith(u'^')) {
            result.cursor = at;
        } else {
            result.text += script.at(i);
            at = script.at(i) == u'\n' ? Position{at.line + 1, 0} : Position{at.line, at.character + 1};
        }
    }
    return result;
}

// One open script, its functions the only ones of a workspace read to its end.
class ScriptContext : public Context
{
public:
    explicit ScriptContext(const QString &text, ClientCapabilities client = {true, true, false},
                           const FindingPolicy &policy = {})
        : document_(text, Commands::Table::builtIn(), policy), findings_(document_.check(), policy), client_(client)
    {
    }
    const TextDocument &document(const QString &uri) const override
    {
        if (uri != kUri)
            throw RequestError{ErrorCode::kInvalidParams, QStringLiteral("not open")};
        return document_;
    }
    QVector<Location> functionDefinitions(const QString &name) const override
    {
        QVector<Location> locations;
        for (const Findings::Line &line : findings_.lines()) {
            if (line.function.name == name)
                locations.append({kUri, Range::onLine(line.number, line.function.column, line.function.length)});
        }
        return locations;
    }
    bool workspaceComplete() const override { return true; }
    QStringList functionNames() const override
    {
        QStringList names = findings_.functionNames().values();
        names.sort();
        return names;
    }
    const Commands::Table &commands() const override { return *Commands::Table::builtIn(); }
    const ClientCapabilities &client() const override { return client_; }

private:
    TextDocument document_;
    Findings findings_;
    ClientCapabilities client_;
};

QString described(const Range &range)
{
    return QStringLiteral("%1:%2-%3:%4")
        .arg(range.start.line)
        .arg(range.start.character)
        .arg(range.end.line)
        .arg(range.end.character);
}

QStringList described(const QVector<Range> &ranges)
{
    QStringList list;
    for (const Range &range : ranges)
        list.append(described(range));
    return list;
}

QStringList rangesOf(const QVector<Location> &locations)
{
    QStringList list;
    for (const Location &location : locations) {
        if (location.uri == kUri)
            list.append(described(location.range));
    }
    return list;
}

// The error code a feature refused with; 0 when it answered.
template <typename Call> int refusal(Call call)
{
    try {
        call();
    } catch (const RequestError &error) {
        return error.code;
    }
    return 0;
}

// An outline as the client gets it: a line a symbol, children indented, with
// range, selection, detail and container where they are given.
void describeSymbols(const QJsonArray &symbols, const QString &indent, QStringList *lines)
{
    for (const QJsonValue &value : symbols) {
        const QJsonObject symbol = value.toObject();
        const auto range = [&](const QJsonValue &json) { return described(*Range::fromJson(json)); };
        QString line = indent + symbol.value(QLatin1String("name")).toString() + u' ' +
                       QString::number(symbol.value(QLatin1String("kind")).toInt());
        if (symbol.contains(QLatin1String("location")))
            line += u' ' + range(symbol.value(QLatin1String("location")).toObject().value(QLatin1String("range")));
        else
            line += u' ' + range(symbol.value(QLatin1String("range"))) + QStringLiteral(" sel ") +
                    range(symbol.value(QLatin1String("selectionRange")));
        if (symbol.contains(QLatin1String("detail")))
            line += QStringLiteral(" (%1)").arg(symbol.value(QLatin1String("detail")).toString());
        if (symbol.contains(QLatin1String("containerName")))
            line += QStringLiteral(" in ") + symbol.value(QLatin1String("containerName")).toString();
        lines->append(line);
        describeSymbols(symbol.value(QLatin1String("children")).toArray(), indent + QStringLiteral("  "), lines);
    }
}

} // namespace

class TestLspFeatures : public QObject
{
    Q_OBJECT

private slots:
    void completion_offersWhatFitsThePlace_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("items"); // "label:kind", or "label" when its kind is not asked
        QTest::addColumn<bool>("some");         // the items are among others
        QTest::newRow("goto after a block comment offers labels") << QStringLiteral("m.tsg,1,1,0\tscript\tA\t1,{\n"
                                                                                    "\t/* note */ \n"
                                                                                    "\tgoto /* x */ ^\n"
                                                                                    "L_A:\n"
                                                                                    "\tend;\n"
                                                                                    "}")
                                                                  << QStringList{QStringLiteral("L_A:18")} << false;
        QTest::newRow("after a closed block comment offers commands") << QStringLiteral("m.tsg,1,1,0\tscript\tA\t1,{\n"
                                                                                        "\t/* note */ ^\n"
                                                                                        "\tgoto /* x */ \n"
                                                                                        "L_A:\n"
                                                                                        "\tend;\n"
                                                                                        "}")
                                                                      << QStringList{QStringLiteral("mes:3")} << true;
        QTest::newRow("past the closing brace of a one-line body offers nothing")
            << QStringLiteral("-\tscript\tB\t-1,{ L_B: end; } goto ^") << QStringList{} << false;
        QTest::newRow("inside a one-line body offers commands")
            << QStringLiteral("-\tscript\tB\t-1,{ L_B: end; ^} goto ") << QStringList{QStringLiteral("goto")} << true;
        QTest::newRow("goto after a for head without braces offers labels")
            << QStringLiteral("m.tsg,1,1,0\tscript\tA\t1,{\n"
                              "\tfor (.@i = 0; .@i < 3; .@i++) goto ^\n"
                              "L_A:\n"
                              "\tend;\n"
                              "}")
            << QStringList{QStringLiteral("L_A:18")} << false;
        QTest::newRow("goto after a while head without braces offers labels")
            << QStringLiteral("m.tsg,1,1,0\tscript\tA\t1,{\n"
                              "\twhile (.@i) goto ^\n"
                              "L_A:\n"
                              "\tend;\n"
                              "}")
            << QStringList{QStringLiteral("L_A:18")} << false;
        QTest::newRow("after a for head without braces offers commands")
            << QStringLiteral("m.tsg,1,1,0\tscript\tA\t1,{\n"
                              "\tfor (.@i = 0; .@i < 3; .@i++) ^\n"
                              "L_A:\n"
                              "\tend;\n"
                              "}")
            << QStringList{QStringLiteral("mes:3")} << true;
        QTest::newRow("menu label place on a choice line of its own") << QStringLiteral("m.tsg,1,1,0\tscript\tA\t1,{\n"
                                                                                        "\tmenu \"a\",L_A,\n"
                                                                                        "\t\t\"b\",^\n"
                                                                                        "\t\tL_A;\n"
                                                                                        "\t/* note\n"
                                                                                        "\tgoto \n"
                                                                                        "*/\n"
                                                                                        "\t// callfunc \"\n"
                                                                                        "L_A:\n"
                                                                                        "\tgoto\n"
                                                                                        "\t\tL_A;\n"
                                                                                        "\tend;\n"
                                                                                        "}")
                                                                      << QStringList{QStringLiteral("L_A:18")} << false;
        QTest::newRow("goto label on the next line") << QStringLiteral("m.tsg,1,1,0\tscript\tA\t1,{\n"
                                                                       "\tmenu \"a\",L_A,\n"
                                                                       "\t\t\"b\",\n"
                                                                       "\t\tL_A;\n"
                                                                       "\t/* note\n"
                                                                       "\tgoto \n"
                                                                       "*/\n"
                                                                       "\t// callfunc \"\n"
                                                                       "L_A:\n"
                                                                       "\tgoto\n"
                                                                       "\t\t^L_A;\n"
                                                                       "\tend;\n"
                                                                       "}")
                                                     << QStringList{QStringLiteral("L_A:18")} << false;
        QTest::newRow("inside a block comment left open offers nothing")
            << QStringLiteral("m.tsg,1,1,0\tscript\tA\t1,{\n"
                              "\tmenu \"a\",L_A,\n"
                              "\t\t\"b\",\n"
                              "\t\tL_A;\n"
                              "\t/* note\n"
                              "\tgoto ^\n"
                              "*/\n"
                              "\t// callfunc \"\n"
                              "L_A:\n"
                              "\tgoto\n"
                              "\t\tL_A;\n"
                              "\tend;\n"
                              "}")
            << QStringList{} << false;
        QTest::newRow("inside a line comment offers nothing") << QStringLiteral("m.tsg,1,1,0\tscript\tA\t1,{\n"
                                                                                "\tmenu \"a\",L_A,\n"
                                                                                "\t\t\"b\",\n"
                                                                                "\t\tL_A;\n"
                                                                                "\t/* note\n"
                                                                                "\tgoto \n"
                                                                                "*/\n"
                                                                                "\t// callfunc \"^\n"
                                                                                "L_A:\n"
                                                                                "\tgoto\n"
                                                                                "\t\tL_A;\n"
                                                                                "\tend;\n"
                                                                                "}")
                                                              << QStringList{} << false;
        QTest::newRow("on a definition line offers nothing") << QStringLiteral("m.t^sg,1,1,0\tscript\tA\t1,{\n"
                                                                               "\tmenu \"a\",L_A,\n"
                                                                               "\t\t\"b\",\n"
                                                                               "\t\tL_A;\n"
                                                                               "\t/* note\n"
                                                                               "\tgoto \n"
                                                                               "*/\n"
                                                                               "\t// callfunc \"\n"
                                                                               "L_A:\n"
                                                                               "\tgoto\n"
                                                                               "\t\tL_A;\n"
                                                                               "\tend;\n"
                                                                               "}")
                                                             << QStringList{} << false;
        QTest::newRow("menu label place offers the labels of the NPC")
            << QStringLiteral("harbor01.tsg,120,85,6\tscript\tFerryman\t56,{\n"
                              "\tmes \"[渡し守]\";\n"
                              "\tmenu \"湖へ\",L_Lake,\"やめる\",]]^[[\n"
                              "\tgoto \n"
                              "\tcallfunc \"F_\n"
                              "\tcl\n"
                              "L_Lake:\n"
                              "OnInit:\n"
                              "\tend;\n"
                              "}")
            << QStringList{QStringLiteral("L_Lake:18"), QStringLiteral("OnInit")} << false;
        QTest::newRow("goto offers the labels of the NPC")
            << QStringLiteral("harbor01.tsg,120,85,6\tscript\tFerryman\t56,{\n"
                              "\tmes \"[渡し守]\";\n"
                              "\tmenu \"湖へ\",L_Lake,\"やめる\",\n"
                              "\tgoto ^\n"
                              "\tcallfunc \"F_\n"
                              "\tcl\n"
                              "L_Lake:\n"
                              "OnInit:\n"
                              "\tend;\n"
                              "}")
            << QStringList{QStringLiteral("L_Lake"), QStringLiteral("OnInit")} << false;
        QTest::newRow("callfunc quotes offer the functions")
            << QStringLiteral("harbor01.tsg,120,85,6\tscript\tFerryman\t56,{\n"
                              "\tmes \"[渡し守]\";\n"
                              "\tmenu \"湖へ\",L_Lake,\"やめる\",\n"
                              "\tgoto \n"
                              "\tcallfunc \"[[F_]]^\n"
                              "\tcl\n"
                              "L_Lake:\n"
                              "OnInit:\n"
                              "\tend;\n"
                              "}\n"
                              "harbor01.tsg,125,85,6\tshop\tTools\t83,501:50\n"
                              "function\tscript\tF_Fare\t{\n"
                              "\treturn 5;\n"
                              "}\n"
                              "\tmes \"x\";")
            << QStringList{QStringLiteral("F_Fare:3")} << false;
        QTest::newRow("a command word being typed")
            << QStringLiteral("harbor01.tsg,120,85,6\tscript\tFerryman\t56,{\n"
                              "\tmes \"[渡し守]\";\n"
                              "\tmenu \"湖へ\",L_Lake,\"やめる\",\n"
                              "\tgoto \n"
                              "\tcallfunc \"F_\n"
                              "\t[[cl]]^\n"
                              "L_Lake:\n"
                              "OnInit:\n"
                              "\tend;\n"
                              "}")
            << QStringList{QStringLiteral("close:3"), QStringLiteral("if:14")} << true;
        QTest::newRow("inside a string offers nothing")
            << QStringLiteral("harbor01.tsg,120,85,6\tscript\tFerryman\t56,{\n"
                              "\tmes \"[^渡し守]\";\n"
                              "\tmenu \"湖へ\",L_Lake,\"やめる\",\n"
                              "\tgoto \n"
                              "\tcallfunc \"F_\n"
                              "\tcl\n"
                              "L_Lake:\n"
                              "OnInit:\n"
                              "\tend;\n"
                              "}")
            << QStringList{} << false;
        QTest::newRow("outside any body offers nothing")
            << QStringLiteral("harbor01.tsg,120,85,6\tscript\tFerryman\t56,{\n"
                              "\tmes \"[渡し守]\";\n"
                              "\tmenu \"湖へ\",L_Lake,\"やめる\",\n"
                              "\tgoto \n"
                              "\tcallfunc \"F_\n"
                              "\tcl\n"
                              "L_Lake:\n"
                              "OnInit:\n"
                              "\tend;\n"
                              "}\n"
                              "harbor01.tsg,125,85,6\tshop\tTools\t83,501:50\n"
                              "function\tscript\tF_Fare\t{\n"
                              "\treturn 5;\n"
                              "}\n"
                              "\tme^s \"x\";")
            << QStringList{} << false;
    }

    void completion_offersWhatFitsThePlace()
    {
        QFETCH(QString, script);
        QFETCH(QStringList, items);
        QFETCH(bool, some);
        const Marked input = marked(script);
        const ScriptContext context(input.text);
        const CompletionList list = completion(context, PositionParams{kUri, input.cursor});
        QStringList offered;
        for (const CompletionItem &item : list.items) {
            const bool kindAsked = std::any_of(items.cbegin(), items.cend(), [&](const QString &expected) {
                return expected.startsWith(item.label + u':');
            });
            offered.append(kindAsked ? QStringLiteral("%1:%2").arg(item.label).arg(item.kind) : item.label);
            QCOMPARE(item.textEdit.newText, item.label);
            if (!input.ranges.isEmpty())
                QCOMPARE(described(item.textEdit.range), described(input.ranges.front()));
        }
        QVERIFY(!list.isIncomplete);
        if (!some) {
            QCOMPARE(offered, items);
            return;
        }
        for (const QString &item : std::as_const(items))
            QVERIFY2(offered.contains(item), qPrintable(item));
    }

    void definition_findsWhereTheLabelIsDefined_data()
    {
        QTest::addColumn<QString>("script");
        QTest::newRow("a menu jump") << QStringLiteral("harbor01.tsg,120,85,6\tscript\tFerryman\t56,{\n"
                                                       "\tmenu \"湖へ\",L_^Lake,\"やめる\",-;\n"
                                                       "\tif (Zeny < 5) goto L_Lake;\n"
                                                       "\tcallsub L_Lake;\n"
                                                       "\tgoto L_Gone;\n"
                                                       "\tclose;\n"
                                                       "[[L_Lake]]:\n"
                                                       "\tgoto l_dock;\n"
                                                       "l_dock:\n"
                                                       "\tgoto L_DOCK;\n"
                                                       "}");
        QTest::newRow("a goto after an if") << QStringLiteral("harbor01.tsg,120,85,6\tscript\tFerryman\t56,{\n"
                                                              "\tmenu \"湖へ\",L_Lake,\"やめる\",-;\n"
                                                              "\tif (Zeny < 5) goto L_Lake^;\n"
                                                              "\tcallsub L_Lake;\n"
                                                              "\tgoto L_Gone;\n"
                                                              "\tclose;\n"
                                                              "[[L_Lake]]:\n"
                                                              "\tgoto l_dock;\n"
                                                              "l_dock:\n"
                                                              "\tgoto L_DOCK;\n"
                                                              "}");
        QTest::newRow("a label of another NPC of the same name")
            << QStringLiteral("harbor01.tsg,120,85,6\tscript\tFerryman\t56,{\n"
                              "\tmenu \"湖へ\",L_Lake,\"やめる\",-;\n"
                              "\tif (Zeny < 5) goto L_Lake;\n"
                              "\tcallsub L_Lake;\n"
                              "\tgoto L_Gone;\n"
                              "\tclose;\n"
                              "L_Lake:\n"
                              "\tgoto l_dock;\n"
                              "l_dock:\n"
                              "\tgoto L_DOCK;\n"
                              "}\n"
                              "-\tscript\tOther\t-1,{\n"
                              "[[L_Lake]]:\n"
                              "\tgoto L^_Lake;\n"
                              "}");
        QTest::newRow("a jump in other case reaches the lower-case label")
            << QStringLiteral("harbor01.tsg,120,85,6\tscript\tFerryman\t56,{\n"
                              "\tmenu \"湖へ\",L_Lake,\"やめる\",-;\n"
                              "\tif (Zeny < 5) goto L_Lake;\n"
                              "\tcallsub L_Lake;\n"
                              "\tgoto L_Gone;\n"
                              "\tclose;\n"
                              "L_Lake:\n"
                              "\tgoto l_dock;\n"
                              "[[l_dock]]:\n"
                              "\tgoto L^_DOCK;\n"
                              "}");
        QTest::newRow("not on a label") << QStringLiteral("harbor01.tsg,120,85,6\tscript\tFerryman\t56,{\n"
                                                          "\tmenu \"湖へ\",L_Lake,\"やめる\",-;\n"
                                                          "\tif (Zeny < 5) goto L_Lake;\n"
                                                          "\tcallsub L_Lake;\n"
                                                          "\tgoto L_Gone;\n"
                                                          "\tc^lose;\n"
                                                          "L_Lake:\n"
                                                          "\tgoto l_dock;\n"
                                                          "l_dock:\n"
                                                          "\tgoto L_DOCK;\n"
                                                          "}");
    }

    void definition_findsWhereTheLabelIsDefined()
    {
        QFETCH(QString, script);
        const Marked input = marked(script);
        const ScriptContext context(input.text);
        QCOMPARE(rangesOf(definition(context, PositionParams{kUri, input.cursor})), described(input.ranges));
    }

    void references_listEveryPlaceOfTheLabel_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<bool>("includeDeclaration");
        QTest::newRow("a label with its definition") << QStringLiteral("harbor01.tsg,120,85,6\tscript\tFerryman\t56,{\n"
                                                                       "\tmenu \"湖へ\",[[L_Lake]],\"やめる\",-;\n"
                                                                       "\tif (Zeny < 5) goto [[L_Lake]];\n"
                                                                       "\tcallsub [[L_Lake]];\n"
                                                                       "\tgoto L_Gone;\n"
                                                                       "\tclose;\n"
                                                                       "[[L_^Lake]]:\n"
                                                                       "\tgoto l_dock;\n"
                                                                       "l_dock:\n"
                                                                       "\tgoto L_DOCK;\n"
                                                                       "}")
                                                     << true;
        QTest::newRow("a label without its definition")
            << QStringLiteral("harbor01.tsg,120,85,6\tscript\tFerryman\t56,{\n"
                              "\tmenu \"湖へ\",[[L_Lake]],\"やめる\",-;\n"
                              "\tif (Zeny < 5) goto [[L_Lake]];\n"
                              "\tcallsub [[L_Lake]];\n"
                              "\tgoto L_Gone;\n"
                              "\tclose;\n"
                              "L_^Lake:\n"
                              "\tgoto l_dock;\n"
                              "l_dock:\n"
                              "\tgoto L_DOCK;\n"
                              "}")
            << false;
        QTest::newRow("jumps spelt in other case") << QStringLiteral("harbor01.tsg,120,85,6\tscript\tFerryman\t56,{\n"
                                                                     "\tmenu \"湖へ\",L_Lake,\"やめる\",-;\n"
                                                                     "\tif (Zeny < 5) goto L_Lake;\n"
                                                                     "\tcallsub L_Lake;\n"
                                                                     "\tgoto L_Gone;\n"
                                                                     "\tclose;\n"
                                                                     "L_Lake:\n"
                                                                     "\tgoto [[l_dock]];\n"
                                                                     "[[l^_dock]]:\n"
                                                                     "\tgoto [[L_DOCK]];\n"
                                                                     "}")
                                                   << true;
        QTest::newRow("a jump that reaches nothing") << QStringLiteral("harbor01.tsg,120,85,6\tscript\tFerryman\t56,{\n"
                                                                       "\tmenu \"湖へ\",L_Lake,\"やめる\",-;\n"
                                                                       "\tif (Zeny < 5) goto L_Lake;\n"
                                                                       "\tcallsub L_Lake;\n"
                                                                       "\tgoto [[L^_Gone]];\n"
                                                                       "\tclose;\n"
                                                                       "L_Lake:\n"
                                                                       "\tgoto l_dock;\n"
                                                                       "l_dock:\n"
                                                                       "\tgoto L_DOCK;\n"
                                                                       "}")
                                                     << true;
    }

    void references_listEveryPlaceOfTheLabel()
    {
        QFETCH(QString, script);
        QFETCH(bool, includeDeclaration);
        const Marked input = marked(script);
        const ScriptContext context(input.text);
        const std::optional<QVector<Location>> found =
            references(context, ReferenceParams{kUri, input.cursor, includeDeclaration});
        QVERIFY(found);
        QCOMPARE(rangesOf(*found), described(input.ranges));
    }

    void rename_editsEveryPlaceOfTheLabel_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("newName");
        QTest::newRow("a label and every jump to it")
            << QStringLiteral("harbor01.tsg,120,85,6\tscript\tFerryman\t56,{\n"
                              "\tmenu \"湖へ\",[[L_Lake]],\"やめる\",-;\n"
                              "\tif (Zeny < 5) goto [[L_^Lake]];\n"
                              "\tcallsub [[L_Lake]];\n"
                              "\tgoto L_Gone;\n"
                              "\tclose;\n"
                              "[[L_Lake]]:\n"
                              "\tgoto l_dock;\n"
                              "l_dock:\n"
                              "\tgoto L_DOCK;\n"
                              "}")
            << QStringLiteral("L_Shore");
        QTest::newRow("a jump that reaches nothing") << QStringLiteral("harbor01.tsg,120,85,6\tscript\tFerryman\t56,{\n"
                                                                       "\tmenu \"湖へ\",L_Lake,\"やめる\",-;\n"
                                                                       "\tif (Zeny < 5) goto L_Lake;\n"
                                                                       "\tcallsub L_Lake;\n"
                                                                       "\tgoto [[L^_Gone]];\n"
                                                                       "\tclose;\n"
                                                                       "L_Lake:\n"
                                                                       "\tgoto l_dock;\n"
                                                                       "l_dock:\n"
                                                                       "\tgoto L_DOCK;\n"
                                                                       "}")
                                                     << QStringLiteral("L_Pier");
        QTest::newRow("a jump that reaches nothing to a free name") << QStringLiteral("m.tsg,1,1,0\tscript\tA\t1,{\n"
                                                                                      "\tgoto L_B;\n"
                                                                                      "\tgoto L_A;\n"
                                                                                      "\tgoto [[L^_Z]];\n"
                                                                                      "\tgoto OnInit;\n"
                                                                                      "l_b:\n"
                                                                                      "L_A:\n"
                                                                                      "OnInit:\n"
                                                                                      "\tend;\n"
                                                                                      "}")
                                                                    << QStringLiteral("L_Q");
        QTest::newRow("a definition and the jump spelt alike") << QStringLiteral("m.tsg,1,1,0\tscript\tA\t1,{\n"
                                                                                 "\tgoto L_B;\n"
                                                                                 "\tgoto [[L_A]];\n"
                                                                                 "\tgoto L_Z;\n"
                                                                                 "\tgoto OnInit;\n"
                                                                                 "l_b:\n"
                                                                                 "[[L^_A]]:\n"
                                                                                 "OnInit:\n"
                                                                                 "\tend;\n"
                                                                                 "}")
                                                               << QStringLiteral("L_Ok");
    }

    void rename_editsEveryPlaceOfTheLabel()
    {
        QFETCH(QString, script);
        QFETCH(QString, newName);
        const Marked input = marked(script);
        const ScriptContext context(input.text);
        const WorkspaceEdit edit = rename(context, RenameParams{kUri, input.cursor, newName});
        QCOMPARE(int(edit.changes.size()), 1);
        QStringList ranges;
        for (const TextEdit &change : edit.changes.at(kUri)) {
            QCOMPARE(change.newText, newName);
            ranges.append(described(change.range));
        }
        QCOMPARE(ranges, described(input.ranges));
    }

    void rename_refusesWhatWouldChangeTheScript_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("newName");
        QTest::addColumn<int>("code");
        QTest::newRow("a name beginning with a digit")
            << QStringLiteral("harbor01.tsg,120,85,6\tscript\tFerryman\t56,{\n"
                              "\tmenu \"湖へ\",L_Lake,\"やめる\",-;\n"
                              "\tif (Zeny < 5) goto L_Lake;\n"
                              "\tcallsub L_Lake;\n"
                              "\tgoto L_Gone;\n"
                              "\tclose;\n"
                              "L^_Lake:\n"
                              "\tgoto l_dock;\n"
                              "l_dock:\n"
                              "\tgoto L_DOCK;\n"
                              "}")
            << QStringLiteral("1st") << ErrorCode::kInvalidParams;
        QTest::newRow("a name with a blank") << QStringLiteral("harbor01.tsg,120,85,6\tscript\tFerryman\t56,{\n"
                                                               "\tmenu \"湖へ\",L_Lake,\"やめる\",-;\n"
                                                               "\tif (Zeny < 5) goto L_Lake;\n"
                                                               "\tcallsub L_Lake;\n"
                                                               "\tgoto L_Gone;\n"
                                                               "\tclose;\n"
                                                               "L^_Lake:\n"
                                                               "\tgoto l_dock;\n"
                                                               "l_dock:\n"
                                                               "\tgoto L_DOCK;\n"
                                                               "}")
                                             << QStringLiteral("L Lake") << ErrorCode::kInvalidParams;
        QTest::newRow("a name the NPC has in other case")
            << QStringLiteral("harbor01.tsg,120,85,6\tscript\tFerryman\t56,{\n"
                              "\tmenu \"湖へ\",L_Lake,\"やめる\",-;\n"
                              "\tif (Zeny < 5) goto L_Lake;\n"
                              "\tcallsub L_Lake;\n"
                              "\tgoto L_Gone;\n"
                              "\tclose;\n"
                              "L^_Lake:\n"
                              "\tgoto l_dock;\n"
                              "l_dock:\n"
                              "\tgoto L_DOCK;\n"
                              "}")
            << QStringLiteral("l_dock") << ErrorCode::kRequestFailed;
        QTest::newRow("not on a label") << QStringLiteral("harbor01.tsg,120,85,6\tscript\tFerryman\t56,{\n"
                                                          "\tmenu \"湖へ\",L_Lake,\"やめる\",-;\n"
                                                          "\tif (Zeny < 5) goto L_Lake;\n"
                                                          "\tcallsub L_Lake;\n"
                                                          "\tgoto L_Gone;\n"
                                                          "\tc^lose;\n"
                                                          "L_Lake:\n"
                                                          "\tgoto l_dock;\n"
                                                          "l_dock:\n"
                                                          "\tgoto L_DOCK;\n"
                                                          "}")
                                        << QStringLiteral("L_X") << ErrorCode::kRequestFailed;
        QTest::newRow("a name a jump already reaches") << QStringLiteral("m.tsg,1,1,0\tscript\tA\t1,{\n"
                                                                         "\tgoto L_B;\n"
                                                                         "\tgoto L_A;\n"
                                                                         "\tgoto L_Z;\n"
                                                                         "\tgoto OnInit;\n"
                                                                         "l_b:\n"
                                                                         "L^_A:\n"
                                                                         "OnInit:\n"
                                                                         "\tend;\n"
                                                                         "}")
                                                       << QStringLiteral("L_B") << ErrorCode::kRequestFailed;
        QTest::newRow("a name that would catch a jump to nothing")
            << QStringLiteral("m.tsg,1,1,0\tscript\tA\t1,{\n"
                              "\tgoto L_B;\n"
                              "\tgoto L_A;\n"
                              "\tgoto L_Z;\n"
                              "\tgoto OnInit;\n"
                              "l_b:\n"
                              "L^_A:\n"
                              "OnInit:\n"
                              "\tend;\n"
                              "}")
            << QStringLiteral("l_z") << ErrorCode::kRequestFailed;
        QTest::newRow("a statement word") << QStringLiteral("m.tsg,1,1,0\tscript\tA\t1,{\n"
                                                            "\tgoto L_B;\n"
                                                            "\tgoto L_A;\n"
                                                            "\tgoto L_Z;\n"
                                                            "\tgoto OnInit;\n"
                                                            "l_b:\n"
                                                            "L^_A:\n"
                                                            "OnInit:\n"
                                                            "\tend;\n"
                                                            "}")
                                          << QStringLiteral("default") << ErrorCode::kInvalidParams;
        QTest::newRow("a character the code page lacks") << QStringLiteral("m.tsg,1,1,0\tscript\tA\t1,{\n"
                                                                           "\tgoto L_B;\n"
                                                                           "\tgoto L_A;\n"
                                                                           "\tgoto L_Z;\n"
                                                                           "\tgoto OnInit;\n"
                                                                           "l_b:\n"
                                                                           "L^_A:\n"
                                                                           "OnInit:\n"
                                                                           "\tend;\n"
                                                                           "}")
                                                         << QStringLiteral("L😀") << ErrorCode::kInvalidParams;
        QTest::newRow("an empty name") << QStringLiteral("m.tsg,1,1,0\tscript\tA\t1,{\n"
                                                         "\tgoto L_B;\n"
                                                         "\tgoto L_A;\n"
                                                         "\tgoto L_Z;\n"
                                                         "\tgoto OnInit;\n"
                                                         "l_b:\n"
                                                         "L^_A:\n"
                                                         "OnInit:\n"
                                                         "\tend;\n"
                                                         "}")
                                       << QStringLiteral("") << ErrorCode::kInvalidParams;
        QTest::newRow("to an event label") << QStringLiteral("m.tsg,1,1,0\tscript\tA\t1,{\n"
                                                             "\tgoto L_B;\n"
                                                             "\tgoto L_A;\n"
                                                             "\tgoto L_Z;\n"
                                                             "\tgoto OnInit;\n"
                                                             "l_b:\n"
                                                             "L^_A:\n"
                                                             "OnInit:\n"
                                                             "\tend;\n"
                                                             "}")
                                           << QStringLiteral("OnStart") << ErrorCode::kRequestFailed;
        QTest::newRow("a jump to an event label") << QStringLiteral("m.tsg,1,1,0\tscript\tA\t1,{\n"
                                                                    "\tgoto L_B;\n"
                                                                    "\tgoto L_A;\n"
                                                                    "\tgoto L_Z;\n"
                                                                    "\tgoto On^Init;\n"
                                                                    "l_b:\n"
                                                                    "L_A:\n"
                                                                    "OnInit:\n"
                                                                    "\tend;\n"
                                                                    "}")
                                                  << QStringLiteral("L_Init") << ErrorCode::kRequestFailed;
        QTest::newRow("a jump to nothing, to a name that would catch another")
            << QStringLiteral("m.tsg,1,1,0\tscript\tA\t1,{\n"
                              "\tgoto L_B;\n"
                              "\tgoto L_A;\n"
                              "\tgoto L^_Z;\n"
                              "\tgoto OnInit;\n"
                              "l_b:\n"
                              "L_A:\n"
                              "OnInit:\n"
                              "\tend;\n"
                              "}")
            << QStringLiteral("L_B") << ErrorCode::kRequestFailed;
    }

    void rename_refusesWhatWouldChangeTheScript()
    {
        QFETCH(QString, script);
        QFETCH(QString, newName);
        QFETCH(int, code);
        const Marked input = marked(script);
        const ScriptContext context(input.text);
        QCOMPARE(refusal([&] { rename(context, RenameParams{kUri, input.cursor, newName}); }), code);
    }

    void prepareRename_givesTheLabelOrRefuses_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("placeholder"); // empty: nothing to rename
        QTest::addColumn<int>("code");
        QTest::newRow("a callsub jump") << QStringLiteral("harbor01.tsg,120,85,6\tscript\tFerryman\t56,{\n"
                                                          "\tmenu \"湖へ\",L_Lake,\"やめる\",-;\n"
                                                          "\tif (Zeny < 5) goto L_Lake;\n"
                                                          "\tcallsub [[L^_Lake]];\n"
                                                          "\tgoto L_Gone;\n"
                                                          "\tclose;\n"
                                                          "L_Lake:\n"
                                                          "\tgoto l_dock;\n"
                                                          "l_dock:\n"
                                                          "\tgoto L_DOCK;\n"
                                                          "}")
                                        << QStringLiteral("L_Lake") << 0;
        QTest::newRow("not on a label") << QStringLiteral("harbor01.tsg,120,85,6\tscript\tFerryman\t56,{\n"
                                                          "\tmenu \"湖へ\",L_Lake,\"やめる\",-;\n"
                                                          "\tif (Zeny < 5) goto L_Lake;\n"
                                                          "\tcallsub L_Lake;\n"
                                                          "\tgoto L_Gone;\n"
                                                          "\tc^lose;\n"
                                                          "L_Lake:\n"
                                                          "\tgoto l_dock;\n"
                                                          "l_dock:\n"
                                                          "\tgoto L_DOCK;\n"
                                                          "}")
                                        << QString() << 0;
        QTest::newRow("an event label") << QStringLiteral("m.tsg,1,1,0\tscript\tA\t1,{\n"
                                                          "\tgoto L_B;\n"
                                                          "\tgoto L_A;\n"
                                                          "\tgoto L_Z;\n"
                                                          "\tgoto OnInit;\n"
                                                          "l_b:\n"
                                                          "L_A:\n"
                                                          "O^nInit:\n"
                                                          "\tend;\n"
                                                          "}")
                                        << QString() << ErrorCode::kRequestFailed;
    }

    void prepareRename_givesTheLabelOrRefuses()
    {
        QFETCH(QString, script);
        QFETCH(QString, placeholder);
        QFETCH(int, code);
        const Marked input = marked(script);
        const ScriptContext context(input.text);
        std::optional<PrepareRenameResult> result;
        QCOMPARE(refusal([&] { result = prepareRename(context, PositionParams{kUri, input.cursor}); }), code);
        QCOMPARE(result.has_value(), !placeholder.isEmpty());
        if (result) {
            QCOMPARE(result->placeholder, placeholder);
            QCOMPARE(described(result->range), described(input.ranges.front()));
        }
    }

    void hover_describesTheWordUnderTheCursor_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("shows"); // empty: no hover
        QTest::newRow("a command word") << QStringLiteral("harbor01.tsg,120,85,6\tscript\tFerryman\t56,{\n"
                                                          "\t[[m^es]] \"[渡し守]\";\n"
                                                          "\tmenu \"湖へ\",L_Lake,\"やめる\",\n"
                                                          "\tgoto \n"
                                                          "\tcallfunc \"F_\n"
                                                          "\tcl\n"
                                                          "L_Lake:\n"
                                                          "OnInit:\n"
                                                          "\tend;\n"
                                                          "}")
                                        << QStringLiteral("**mes**");
        QTest::newRow("a label definition") << QStringLiteral("harbor01.tsg,120,85,6\tscript\tFerryman\t56,{\n"
                                                              "\tmes \"[渡し守]\";\n"
                                                              "\tmenu \"湖へ\",L_Lake,\"やめる\",\n"
                                                              "\tgoto \n"
                                                              "\tcallfunc \"F_\n"
                                                              "\tcl\n"
                                                              "[[L_L^ake]]:\n"
                                                              "OnInit:\n"
                                                              "\tend;\n"
                                                              "}")
                                            << QStringLiteral("**L_Lake**");
        QTest::newRow("inside a string") << QStringLiteral("harbor01.tsg,120,85,6\tscript\tFerryman\t56,{\n"
                                                           "\tmes \"[^渡し守]\";\n"
                                                           "\tmenu \"湖へ\",L_Lake,\"やめる\",\n"
                                                           "\tgoto \n"
                                                           "\tcallfunc \"F_\n"
                                                           "\tcl\n"
                                                           "L_Lake:\n"
                                                           "OnInit:\n"
                                                           "\tend;\n"
                                                           "}")
                                         << QString();
        QTest::newRow("a command the parser read inside a condition")
            << QStringLiteral("m.tsg,1,1,0\tscript\tA\t1,{\n\tif ([[count^item]](501) < 1) close;\n\tclose;\n}")
            << QStringLiteral("**countitem**");
        QTest::newRow("an underlined word shows its rule's page")
            << QStringLiteral("m.tsg,1,1,0\tscript\tA\t1,{\n\t[[wr^ap]] \"x\",1,2;\n}") << QStringLiteral("**TW103**");
        QTest::newRow("an underlined command shows its rule above the command")
            << QStringLiteral("m.tsg,1,1,0\tscript\tA\t1,{\n\t[[clo^se]] 1;\n}") << QStringLiteral("**TW104**");
        QTest::newRow("a called function the workspace defines")
            << QStringLiteral("m.tsg,1,1,0\tscript\tA\t1,{\n\tcallfunc [[\"F_^Fare\"]];\n}\n"
                              "function\tscript\tF_Fare\t{\n\treturn;\n}")
            << QStringLiteral("**F_Fare**: ferry.txt 4");
        QTest::newRow("a called function defined nowhere")
            << QStringLiteral("m.tsg,1,1,0\tscript\tA\t1,{\n\tcallfunc [[\"F_No^ne\"]];\n}")
            << QStringLiteral("**F_None**");
    }

    void hover_describesTheWordUnderTheCursor()
    {
        QFETCH(QString, script);
        QFETCH(QString, shows);
        const Marked input = marked(script);
        const ScriptContext context(input.text);
        const std::optional<Hover> answer = hover(context, PositionParams{kUri, input.cursor});
        QCOMPARE(answer.has_value(), !shows.isEmpty());
        if (answer) {
            QVERIFY2(answer->markdown.contains(shows), qPrintable(answer->markdown));
            QCOMPARE(described(answer->range), described(input.ranges.front()));
            // A rule's page goes with its code, and a command's arguments with the command.
            if (shows.startsWith(QStringLiteral("**TW")))
                QVERIFY(answer->markdown.contains(QStringLiteral("直した例")));
        }
    }

    void hover_underlinedCommand_showsTheRuleThenTheCommand()
    {
        const Marked input = marked(QStringLiteral("m.tsg,1,1,0\tscript\tA\t1,{\n\tclo^se 1;\n}"));
        const ScriptContext context(input.text);
        const std::optional<Hover> answer = hover(context, PositionParams{kUri, input.cursor});
        QVERIFY(answer);
        const qsizetype rule = answer->markdown.indexOf(QStringLiteral("**TW104**"));
        const qsizetype command = answer->markdown.indexOf(QStringLiteral("**close**"));
        QVERIFY(rule >= 0 && command > rule);
    }

    void references_offNoLabel_isNothing()
    {
        const Marked input = marked(QStringLiteral("m.tsg,1,1,0\tscript\tA\t1,{\n\tcl^ose;\n}"));
        const ScriptContext context(input.text);
        QVERIFY(!references(context, ReferenceParams{kUri, input.cursor, true}));
    }

    void outline_listsDefinitionsWithTheirLabels_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<bool>("flat");
        QTest::addColumn<QStringList>("symbols");
        QTest::newRow("nested, every kind of definition")
            << QStringLiteral("harbor01.tsg,120,85,6\tscript\tFerryman\t56,{\n"
                              "\tmes \"[渡し守]\";\n"
                              "L_Lake:\n"
                              "OnInit:\n"
                              "\tend;\n"
                              "}\n"
                              "harbor01.tsg,125,85,6\tshop\tTools\t83,501:50\n"
                              "function\tscript\tF_Fare\t{\n"
                              "\treturn 5;\n"
                              "}")
            << false
            << QStringList{QStringLiteral("Ferryman 5 0:0-5:1 sel 0:29-0:37 (harbor01.tsg,120,85,6 script)"),
                           QStringLiteral("  L_Lake 20 2:0-2:6 sel 2:0-2:6"),
                           QStringLiteral("  OnInit 24 3:0-3:6 sel 3:0-3:6"),
                           QStringLiteral("Tools 23 6:0-6:42 sel 6:27-6:32 (harbor01.tsg,125,85,6 shop)"),
                           QStringLiteral("F_Fare 12 7:0-9:1 sel 7:16-7:22 (function script)")};
        QTest::newRow("flat, labels naming their NPC")
            << QStringLiteral("m.tsg,1,1,0\tscript\tA\t1,{\nL_A:\n\tgoto L_A;\n}") << true
            << QStringList{QStringLiteral("A 5 0:0-3:1"), QStringLiteral("L_A 20 1:0-1:3 in A")};
    }

    void outline_listsDefinitionsWithTheirLabels()
    {
        QFETCH(QString, script);
        QFETCH(bool, flat);
        QFETCH(QStringList, symbols);
        const ScriptContext context(script, ClientCapabilities{!flat, true, false});
        QStringList lines;
        describeSymbols(outline(context, DocumentParams{kUri}).toJson().toArray(), QString(), &lines);
        QCOMPARE(lines, symbols);
    }

    void quickFixes_mendWhatTheCheckerIsSureOf_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("newText"); // empty: no fix
        QTest::addColumn<QString>("code");
        QTest::newRow("an unknown command after an astral character")
            << QStringLiteral("m.tsg,1,1,0\tscript\tA\t1,{\n\tmes \"😀表\";[[w^rap]];\n}") << QStringLiteral("warp")
            << QStringLiteral("TW103");
        QTest::newRow("a jump in the case its label is not defined in")
            << QStringLiteral("m.tsg,1,1,0\tscript\tA\t1,{\n\tgoto [[l_^a]];\nL_A:\n\tend;\n}") << QStringLiteral("L_A")
            << QStringLiteral("TW207");
        QTest::newRow("a statement without its semicolon")
            << QStringLiteral("m.tsg,1,1,0\tscript\tA\t1,{\n\tmes \"a\"^[[]]\n\tclose;\n}") << QStringLiteral(";")
            << QStringLiteral("TW102");
        QTest::newRow("nothing sure") << QStringLiteral("m.tsg,1,1,0\tscript\tA\t1,{\n\tgoto L_^None;\n}") << QString()
                                      << QString();
    }

    void quickFixes_mendWhatTheCheckerIsSureOf()
    {
        QFETCH(QString, script);
        QFETCH(QString, newText);
        QFETCH(QString, code);
        const Marked input = marked(script);
        const ScriptContext context(input.text);
        const QVector<CodeAction> actions =
            quickFixes(context, CodeActionParams{kUri, Range{input.cursor, input.cursor}});
        QCOMPARE(actions.size(), newText.isEmpty() ? 0 : 1);
        if (actions.isEmpty())
            return;
        QCOMPARE(actions.front().diagnostics.size(), 1);
        QCOMPARE(actions.front().diagnostics.front().code, code);
        const QVector<TextEdit> &edits = actions.front().edit.changes.at(kUri);
        QCOMPARE(edits.size(), 1);
        QCOMPARE(edits.front().newText, newText);
        QCOMPARE(described(edits.front().range), described(input.ranges.front()));
    }

    // What the script's project leaves out is neither hovered nor mended; what
    // it holds otherwise is both, with the severity it gives.
    void quickFixesAndHover_followTheProjectsFindings_data()
    {
        QTest::addColumn<QStringList>("disabled");
        QTest::addColumn<QString>("severity"); // TW103's, as the project gives it; empty for none
        QTest::addColumn<bool>("shown");
        QTest::newRow("no project") << QStringList() << QString() << true;
        QTest::newRow("disabled") << QStringList{"TW103"} << QString() << false;
        QTest::newRow("another code disabled") << QStringList{"TW104"} << QString() << true;
        QTest::newRow("held a warning") << QStringList() << QStringLiteral("warning") << true;
    }
    void quickFixesAndHover_followTheProjectsFindings()
    {
        QFETCH(QStringList, disabled);
        QFETCH(QString, severity);
        QFETCH(bool, shown);
        FindingPolicy policy;
        policy.disabled = QSet<QString>(disabled.cbegin(), disabled.cend());
        if (!severity.isEmpty())
            policy.severities.insert(QStringLiteral("TW103"), Diagnostic::Severity::Warning);
        const Marked input = marked(QStringLiteral("m.tsg,1,1,0\tscript\tA\t1,{\n\tw^rap;\n}"));
        const ScriptContext context(input.text, {true, true, false}, policy);
        const QVector<CodeAction> actions =
            quickFixes(context, CodeActionParams{kUri, Range{input.cursor, input.cursor}});
        QCOMPARE(actions.size(), shown ? 1 : 0);
        const std::optional<Hover> answer = hover(context, PositionParams{kUri, input.cursor});
        QCOMPARE(answer.has_value() && answer->markdown.contains(QLatin1String("**TW103**")), shown);
        if (!shown)
            return;
        const PublishedDiagnostic &mended = actions.front().diagnostics.front();
        QCOMPARE(mended.code, QStringLiteral("TW103"));
        QCOMPARE(mended.severity, severity.isEmpty() ? 1 : 2);
    }

    // The checker's own fixes are turned into code actions as they are.
    void fixesOf_convertsTheCheckersOwnFixes()
    {
        const TextDocument document(QStringLiteral("m.tsg,1,1,0\tscript\tA\t1,{\n\twrap;\n}"),
                                    Commands::Table::builtIn());
        const Diagnostics found = document.check().diagnostics(1);
        QCOMPARE(found.size(), 1);
        Diagnostic diagnostic = found.front();
        const QVector<CodeAction> nearest = fixesOf(diagnostic, kUri);
        QCOMPARE(nearest.size(), 1);
        QCOMPARE(nearest.front().edit.changes.at(kUri).front().newText, QStringLiteral("warp"));

        diagnostic.fixes = {
            Diagnostic::Fix{QStringLiteral("a"), {{1, 4, QStringLiteral("x")}, {5, 0, QStringLiteral("y")}}},
            Diagnostic::Fix{QStringLiteral("b"), {{1, 0, QStringLiteral("z")}}}};
        const QVector<CodeAction> given = fixesOf(diagnostic, kUri);
        QCOMPARE(given.size(), 2);
        QCOMPARE(given.at(0).title, QStringLiteral("a"));
        const QVector<TextEdit> &edits = given.at(0).edit.changes.at(kUri);
        QCOMPARE(edits.size(), 2);
        QCOMPARE(described(edits.at(0).range), QStringLiteral("1:1-1:5"));
        QCOMPARE(edits.at(1).newText, QStringLiteral("y"));
        QCOMPARE(described(edits.at(1).range), QStringLiteral("1:5-1:5"));
        QCOMPARE(given.at(1).title, QStringLiteral("b"));
        QCOMPARE(given.at(1).diagnostics.front().code, diagnostic.code);
    }

    // The player variables the open scripts set, as the workspace judges a read of
    // one: set somewhere (or by the server), and the nearest name set as a hint.
    void workspace_judgesPlayerVariablesTheScriptsSet_data()
    {
        QTest::addColumn<QString>("read");
        QTest::addColumn<bool>("set");
        QTest::addColumn<QString>("hint");
        QTest::newRow("set by one script") << "@quest_step" << true << "";
        QTest::newRow("misspelt") << "@quest_stpe" << false << "@Quest_Step";
        QTest::newRow("set by the server") << "@menu" << true << "";
        QTest::newRow("near the server's") << "@mneu" << false << "@menu";
        QTest::newRow("a list the server fills") << "@skilllist_id" << true << "";
        QTest::newRow("a number is no string") << "@gold" << false << "";
        QTest::newRow("far from every name") << "@weather" << false << "";
    }
    void workspace_judgesPlayerVariablesTheScriptsSet()
    {
        QFETCH(QString, read);
        QFETCH(bool, set);
        QFETCH(QString, hint);
        Workspace workspace;
        workspace.setOpen(QStringLiteral("a"), {{}, {{QStringLiteral("@quest_step"), QStringLiteral("@Quest_Step")}}});
        workspace.setOpen(QStringLiteral("b"), {{}, {{QStringLiteral("@gold$"), QStringLiteral("@gold$")}}});
        QCOMPARE(workspace.setsVariable(read.toLower()), set);
        if (!set)
            QCOMPARE(workspace.nearestVariable(read), hint);
        // A script that no longer sets a name takes it away, and the judgement changes with it.
        const quint64 before = workspace.generation();
        workspace.close(QStringLiteral("a"));
        QVERIFY(workspace.generation() != before);
        QVERIFY(!workspace.setsVariable(QStringLiteral("@quest_step")));
        QVERIFY(workspace.nearestVariable(QStringLiteral("@quest_stpe")).isEmpty());
    }

    // A request on a script that is not open is refused, whatever the feature.
    void features_onAScriptNotOpen_refuse()
    {
        const ScriptContext context(QStringLiteral("x"));
        const PositionParams elsewhere{QStringLiteral("file:///other.txt"), {0, 0}};
        QCOMPARE(refusal([&] { hover(context, elsewhere); }), ErrorCode::kInvalidParams);
        QCOMPARE(refusal([&] { completion(context, elsewhere); }), ErrorCode::kInvalidParams);
        QCOMPARE(refusal([&] { definition(context, elsewhere); }), ErrorCode::kInvalidParams);
    }

    // The workspace's scripts on disk are read in the encoding the client or the
    // command line names: in UTF-16 a function's name is found only when read so.
    void offeredBy_encoding_decidesWhatIsRead_data()
    {
        QTest::addColumn<QString>("encoding");
        QTest::addColumn<QStringList>("functions");
        QTest::newRow("code page 932") << QString() << QStringList();
        QTest::newRow("UTF-16LE") << QStringLiteral("UTF-16LE") << QStringList{"F_Known"};
    }
    void offeredBy_encoding_decidesWhatIsRead()
    {
        QFETCH(QString, encoding);
        const QString text = QStringLiteral("function\tscript\tF_Known\t{\r\n\treturn 1;\r\n}\r\n");
        const QByteArray utf16(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
        QStringList names;
        for (const ScriptCheck::FunctionUse &function : Lsp::offeredBy(utf16, encoding).functions)
            names << function.name;
        QTEST(names, "functions");
    }
};

QTEST_GUILESS_MAIN(TestLspFeatures)
#include "test_lsp_features.moc"
