#include "checker/body_form.h"
#include "checker_test_support.h"

#include <QFileInfo>
#include <QTest>

namespace {

std::vector<BodyForm::Statement> statementsOf(const ScriptCheck &check, int first, int last)
{
    std::vector<BodyForm::Statement> statements;
    for (int line = first; line <= last; ++line) {
        for (const FlowStep &step : check.stepsOn(line)) {
            if (step.isStatement())
                statements.push_back({line - first, &step});
        }
    }
    return statements;
}

} // namespace

// The flow graph reads a statement's ways on off its own instruction, and the run
// the same instructions: each statement must stand for exactly one, and every jump
// must land inside the body.
class BodyFormTest : public QObject
{
    Q_OBJECT

private slots:
    void lowered_everyBody_oneInstructionPerStatementAndJumpsInside_data()
    {
        QTest::addColumn<QStringList>("lines");
        for (const QString &path : validScripts())
            QTest::newRow(qPrintable(QFileInfo(path).fileName())) << linesOf(path);
        QTest::newRow("unclosed blocks and stray words")
            << npc("\tif (@a) {\n\tswitch (@b) {\n\tcase 1:\n\tbreak;\n\tcontinue;\n\t} else\n\tdo\n\tfor (;;)")
                   .split(u'\n');
    }
    void lowered_everyBody_oneInstructionPerStatementAndJumpsInside()
    {
        QFETCH(QStringList, lines);
        ScriptCheck check;
        check.replaceLines(0, 0, lines);
        for (int line = 0; line < check.lineCount(); ++line) {
            const auto [first, last] = check.bodyAround(line);
            if (first != line)
                continue;
            const std::vector<BodyForm::Statement> statements = statementsOf(check, first, last);
            BodyForm::Body structure;
            BodyForm::lower(statements, structure);
            for (const BodyForm::Body &body : {structure, *BodyForm::read(check, first)}) {
                std::vector<int> own(statements.size(), 0);
                for (const BodyForm::Instruction &in : body.code) {
                    if (in.statement >= 0)
                        ++own[size_t(in.statement)];
                    QVERIFY2(in.target <= int(body.code.size()), qPrintable(QString::number(line + 1)));
                    for (const auto &[value, at] : in.cases)
                        QVERIFY(at >= 0 && at <= int(body.code.size()));
                }
                for (size_t i = 0; i < own.size(); ++i)
                    QVERIFY2(own[i] == 1, qPrintable(QStringLiteral("body of line %1, statement %2 of kind %3")
                                                         .arg(line + 1)
                                                         .arg(i)
                                                         .arg(int(statements[i].step->kind))));
            }
        }
    }
};

QTEST_GUILESS_MAIN(BodyFormTest)
#include "test_body_form.moc"
