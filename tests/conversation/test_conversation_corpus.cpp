#include "checker/explanations.h"
#include "checker_test_support.h"
#include "conversation/run.h"
#include "conversation_test_support.h"

#include <QFileInfo>
#include <QTest>

using namespace Conversation;

namespace {

// Every body of `lines` that the checker reads as a definition with a body.
QVector<int> definitionLines(const ScriptCheck &check)
{
    QVector<int> found;
    for (int line = 0; line < check.lineCount(); ++line) {
        const DefinitionLine::Definition *definition = check.definitionOn(line);
        if (definition && definition->hasBody() && check.bodyAround(line).first == line)
            found.append(line);
    }
    return found;
}

} // namespace

// Scripts the server reads without a word run in the preview up to their end or
// their first wait: the preview reads every statement the checker reads.
class ConversationCorpusTest : public QObject
{
    Q_OBJECT

private slots:
    void everyBody_ofACleanScript_runsWithoutStop_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("hasBodies");
        for (const QString &path : validScripts())
            QTest::newRow(qPrintable(QFileInfo(path).fileName())) << linesOf(path) << true;
        // The mended example of every rule's page, which the checker passes whole.
        for (const Explanations::Explanation *page = Explanations::begin(); page != Explanations::end(); ++page) {
            const QString mended = QString::fromUtf16(page->mended);
            if (!mended.contains(Explanations::kByteMarkOpen))
                QTest::newRow(qPrintable(QStringLiteral("mended %1").arg(QString::fromUtf16(page->code))))
                    << mended.split(u'\n') << false;
        }
    }
    void everyBody_ofACleanScript_runsWithoutStop()
    {
        QFETCH(QStringList, lines);
        QFETCH(bool, hasBodies);
        ScriptCheck check;
        check.replaceLines(0, 0, lines);
        const QVector<int> bodies = definitionLines(check);
        QVERIFY(!hasBodies || !bodies.isEmpty());
        for (const int line : bodies) {
            const std::shared_ptr<const Body> body = BodyForm::read(check, line);
            for (const Instruction &in : body->code) {
                if (in.op == Instruction::Op::Stop)
                    QFAIL(qPrintable(QStringLiteral("body of line %1: %2").arg(line + 1).arg(in.message)));
            }
            // A function runs with what its callers give it: run alone, getarg stops it.
            if (check.definitionOn(line)->isFunction())
                continue;
            const Run run(Source{&check, line, 0, {}});
            if (run.transcript().ending == Ending::Stopped)
                QFAIL(qPrintable(QStringLiteral("line %1: %2").arg(line + 1).arg(run.transcript().stopMessage)));
        }
    }
};

QTEST_GUILESS_MAIN(ConversationCorpusTest)
#include "test_conversation_corpus.moc"
