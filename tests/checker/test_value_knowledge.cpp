// What a path knows of a variable, condition by condition, and summaries worked
// out on demand: what is kept never depends on which callee was asked for first.
#include "checker/value_knowledge.h"
#include "checker/window_summary.h"

#include <QTest>

#include <functional>
#include <map>

namespace {

using Compare = ValueKnowledge::Compare;

using Conditions = QVector<std::pair<Compare, qint64>>;

// The values 0..9 the variable may still hold, as a string of digits, or "-" when
// the path cannot happen.
QString valuesOf(const ValueKnowledge &knowledge)
{
    if (!knowledge.possible())
        return QStringLiteral("-");
    QString digits;
    for (int value = 0; value <= 9; ++value) {
        ValueKnowledge probe = knowledge;
        probe.keep(0, Compare::Equal, value);
        if (probe.possible())
            digits += QChar(u'0' + value);
    }
    return digits;
}

WindowSummary summaryOf(quint8 exit)
{
    WindowSummary summary;
    summary.exits.fill(exit);
    return summary;
}

} // namespace

Q_DECLARE_METATYPE(Compare)

class ValueKnowledgeTest : public QObject
{
    Q_OBJECT

private slots:
    // The variable holds 0..9 first; each condition keeps the values that meet it.
    void keep_leavesTheValuesThatMeetTheCondition_data()
    {
        QTest::addColumn<Conditions>("conditions");
        QTest::addColumn<QString>("values");
        using C = Conditions;
        QTest::newRow("equal") << C{{Compare::Equal, 4}} << "4";
        QTest::newRow("not equal, in the middle") << C{{Compare::NotEqual, 4}} << "012356789";
        QTest::newRow("not equal at both ends") << C{{Compare::NotEqual, 0}, {Compare::NotEqual, 9}} << "12345678";
        QTest::newRow("less") << C{{Compare::Less, 3}} << "012";
        QTest::newRow("less or equal") << C{{Compare::LessOrEqual, 3}} << "0123";
        QTest::newRow("greater") << C{{Compare::Greater, 7}} << "89";
        QTest::newRow("greater or equal") << C{{Compare::GreaterOrEqual, 7}} << "789";
        QTest::newRow("a range") << C{{Compare::Greater, 2}, {Compare::Less, 6}} << "345";
        QTest::newRow("a hole, then a range") << C{{Compare::NotEqual, 4}, {Compare::GreaterOrEqual, 3}} << "356789";
        QTest::newRow("every value taken away")
            << C{{Compare::NotEqual, 0}, {Compare::NotEqual, 1}, {Compare::Less, 2}} << "-";
        QTest::newRow("two values that exclude each other") << C{{Compare::Equal, 1}, {Compare::Equal, 2}} << "-";
    }
    void keep_leavesTheValuesThatMeetTheCondition()
    {
        QFETCH(Conditions, conditions);
        QFETCH(QString, values);
        ValueKnowledge knowledge;
        knowledge.set(0, 0, 9);
        for (const auto &[compare, constant] : conditions)
            knowledge.keep(0, compare, constant);
        QCOMPARE(valuesOf(knowledge), values);
    }

    // Paths that meet allow what either allowed; a variable one of them knows
    // nothing of is known nothing of after.
    void either_joinsWhatEachPathAllows()
    {
        ValueKnowledge low, high, impossible;
        low.set(0, 0, 2);
        high.set(0, 7, 8);
        impossible.set(0, 5, 4);
        QCOMPARE(valuesOf(ValueKnowledge::either(low, high)), QStringLiteral("012"
                                                                             "78"));
        QCOMPARE(valuesOf(ValueKnowledge::either(low, impossible)), QStringLiteral("012"));
        QCOMPARE(valuesOf(ValueKnowledge::either(impossible, high)), QStringLiteral("78"));
        ValueKnowledge other;
        other.set(1, 3, 3);
        const ValueKnowledge joined = ValueKnowledge::either(low, other);
        QVERIFY(!joined.knows(0));
        QVERIFY(!joined.knows(1));
    }

    // Past a few variables the first by number is forgotten, never the one just set.
    void set_pastTheMostVariables_forgetsAnotherOne()
    {
        ValueKnowledge knowledge;
        for (int name = 0; name < 6; ++name)
            knowledge.set(name, name, name);
        QVERIFY(knowledge.knows(5));
        QVERIFY(!knowledge.knows(0));
        knowledge.set(0, 0, 0);
        QVERIFY(knowledge.knows(0));
    }

    // Callees that call each other round: asked in any order, the summaries kept
    // are the same, and a circle comes back as unknown where it closes.
    void memo_keepsTheSameSummariesInAnyOrder()
    {
        // a calls b, b calls a and c; each adds its own bit to what its callees give.
        const std::map<char, std::vector<char>> calls = {{'a', {'b'}}, {'b', {'a', 'c'}}, {'c', {}}};
        const std::map<char, quint8> own = {{'a', 1}, {'b', 2}, {'c', 4}};
        const WindowSummary unknown = summaryOf(128);
        const auto run = [&](const std::string &order) {
            WindowSummaryMemo<char> memo;
            std::function<WindowSummary(char)> compute = [&](char callee) {
                quint8 exit = own.at(callee);
                for (const char next : calls.at(callee))
                    exit |= memo.get(next, unknown, compute).exits[0];
                return summaryOf(exit);
            };
            std::map<char, quint8> found;
            for (const char callee : order)
                found[callee] = memo.get(callee, unknown, compute).exits[0];
            return found;
        };
        const std::map<char, quint8> first = run("abc");
        QCOMPARE(first.at('a'), quint8(1 | 2 | 4 | 128));
        QCOMPARE(first.at('b'), quint8(2 | 1 | 4 | 128));
        QCOMPARE(first.at('c'), quint8(4));
        QCOMPARE(run("bca"), first);
        QCOMPARE(run("cba"), first);
    }
};

QTEST_GUILESS_MAIN(ValueKnowledgeTest)
#include "test_value_knowledge.moc"
