// Findings judged at a pause move with their lines through the edits that follow,
// as if each edit had moved them at once.
#include "checker/moving_findings.h"

#include <QRandomGenerator>

#include <numeric>
#include <QTest>

namespace {

Diagnostic finding(int line, int column, int relatedLine)
{
    Diagnostic d;
    d.code = QStringLiteral("TW333");
    d.line = line;
    d.column = column;
    d.related.append({relatedLine, 0, 1, QStringLiteral("first")});
    return d;
}

// The same findings moved at each edit, lines removed and their findings dropped.
QHash<int, Diagnostics> movedAtOnce(const QHash<int, Diagnostics> &found, int first, int oldCount, int newCount)
{
    QHash<int, Diagnostics> moved;
    const auto now = [&](int line) {
        if (line >= first + oldCount)
            return line + newCount - oldCount;
        return line >= first + newCount ? -1 : line;
    };
    for (auto line = found.cbegin(); line != found.cend(); ++line) {
        const int number = now(line.key());
        if (number < 0)
            continue;
        Diagnostics ds = *line;
        for (Diagnostic &d : ds) {
            d.line = number;
            for (Diagnostic::Related &related : d.related)
                related.line = now(related.line);
            d.related.removeIf([](const Diagnostic::Related &related) { return related.line < 0; });
        }
        moved.insert(number, ds);
    }
    return moved;
}

} // namespace

class MovingFindingsTest : public QObject
{
    Q_OBJECT

private slots:
    void randomEdits_lookUpWhatMovingAtOnceGives_data()
    {
        QTest::addColumn<quint32>("seed");
        for (const quint32 seed : {1u, 2u, 3u})
            QTest::addRow("seed %u", seed) << seed;
    }
    void randomEdits_lookUpWhatMovingAtOnceGives()
    {
        QFETCH(quint32, seed);
        QRandomGenerator random(seed);
        for (int round = 0; round < 2; ++round) {
            int lines = 60;
            QHash<int, Diagnostics> model;
            for (int i = 0; i < 15; ++i) {
                const int line = int(random.bounded(quint32(lines)));
                model[line].append(finding(line, i, int(random.bounded(quint32(lines)))));
            }
            MovingFindings moving;
            moving.replace(model);
            // More edits than are noted before they are moved at once.
            for (int step = 0; step < 1100; ++step) {
                const int first = int(random.bounded(quint32(lines + 1)));
                const int oldCount = int(random.bounded(quint32(qMin(lines - first, 3) + 1)));
                const int newCount = int(random.bounded(4u));
                moving.linesReplaced(first, oldCount, newCount);
                model = movedAtOnce(model, first, oldCount, newCount);
                lines += newCount - oldCount;
                for (int line = 0; line < lines; ++line)
                    QCOMPARE(moving.on(line), model.value(line));
                QCOMPARE(moving.all().size(), std::accumulate(model.cbegin(), model.cend(), qsizetype(0),
                                                              [](qsizetype n, const Diagnostics &d) { return n + d.size(); }));
            }
        }
    }

    // Judged again, only the lines whose findings differ from the moved ones are named.
    void replace_namesTheLinesWhoseFindingsChanged()
    {
        MovingFindings moving;
        QVector<int> first = moving.replace({{2, {finding(2, 0, 0)}}, {5, {finding(5, 0, 0)}}});
        std::sort(first.begin(), first.end());
        QCOMPARE(first, (QVector<int>{2, 5}));
        moving.linesReplaced(0, 0, 1); // a line inserted at the top: 3 and 6 now
        QVector<int> changed = moving.replace({{3, {finding(3, 0, 1)}}, {7, {finding(7, 0, 1)}}});
        std::sort(changed.begin(), changed.end());
        QCOMPARE(changed, (QVector<int>{6, 7}));
    }
};

QTEST_GUILESS_MAIN(MovingFindingsTest)
#include "test_moving_findings.moc"
