// Every rule has its page, and the page's examples tell the truth: the wrong one
// gives the rule's code, the mended one gives nothing at all.
#include "check_tool/check_report.h"
#include "checker/explanations.h"
#include "checker/script_check.h"
#include "common/code_page.h"

#include <QSet>
#include <QTest>

namespace {

// Wrong examples that stand for more than a page can show: 300 parentheses.
const QSet<QString> kAbbreviated = {QStringLiteral("TW111")};
// Rules outside TW6xx that need a server's folder too: test_server_rules checks their examples with one.
const QSet<QString> kNeedAFolder = {QStringLiteral("TW332")};

// The example's bytes in the code page, with each "〔FF〕" made the byte it names.
QByteArray bytesOf(const QString &example, bool *ok)
{
    QByteArray bytes;
    *ok = true;
    qsizetype from = 0;
    while (from <= example.size()) {
        qsizetype open = example.indexOf(Explanations::kByteMarkOpen, from);
        if (open < 0)
            open = example.size();
        bool encoded = false;
        bytes += CodePage932::encode(QStringView(example).sliced(from, open - from), &encoded);
        *ok = *ok && encoded;
        if (open == example.size())
            break;
        const qsizetype close = example.indexOf(Explanations::kByteMarkClose, open);
        bytes += char(example.sliced(open + 1, close - open - 1).toInt(nullptr, 16));
        from = close + 1;
    }
    return bytes;
}

// The codes a script gives, read as the editor reads it and as talewick-check
// reads the file from disk (which alone sees stray bytes, and callfunc and player
// variables across files).
QStringList codesOf(const QString &example)
{
    QStringList codes;
    if (!example.contains(Explanations::kByteMarkOpen)) {
        for (const Diagnostic &d : checkScript(example))
            codes << d.code;
    }
    bool encoded = false;
    const QByteArray bytes = bytesOf(example, &encoded);
    if (encoded) {
        QVector<CheckReport::FileResult> files{
            CheckReport::checkBytes(QStringLiteral("example.txt"), bytes, Commands::Table::builtIn())};
        CheckReport::checkFunctionsAcross(files);
        CheckReport::checkPlayerVariablesAcross(files);
        for (const Diagnostic &d : std::as_const(files.front().diagnostics))
            codes << d.code;
    }
    codes.removeDuplicates();
    return codes;
}

} // namespace

class ExplanationsTest : public QObject
{
    Q_OBJECT

private slots:
    void everyRule_hasAnExplanationWithEveryPart()
    {
        for (const Rules::Row *row = Rules::begin(); row != Rules::end(); ++row) {
            const Explanations::Explanation *explanation = Explanations::find(row->rule);
            QVERIFY2(explanation, qPrintable(QString::fromUtf16(row->code)));
            for (const char16_t *part :
                 {explanation->meaning, explanation->server, explanation->wrong, explanation->mended})
                QVERIFY2(part && *part, qPrintable(QString::fromUtf16(row->code)));
            QVERIFY2(QStringView(explanation->wrong) != QStringView(explanation->mended),
                     qPrintable(QString::fromUtf16(row->code)));
        }
    }

    void examples_wrongGivesTheCodeAndMendedGivesNothing_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("wrong");
        QTest::addColumn<QString>("mended");
        for (const Explanations::Explanation *e = Explanations::begin(); e != Explanations::end(); ++e) {
            const QString code = Rules::code(e->rule);
            QTest::newRow(qPrintable(code)) << code << QString::fromUtf16(e->wrong) << QString::fromUtf16(e->mended);
        }
    }
    void examples_wrongGivesTheCodeAndMendedGivesNothing()
    {
        QFETCH(QString, code);
        QFETCH(QString, wrong);
        QFETCH(QString, mended);
        // The conversation rules (TW5xx) judge whole conversations, which the
        // examples of the other rules are cut short of.
        const auto own = [&](QStringList codes) {
            if (!code.startsWith(u"TW5"))
                codes.removeIf([](const QString &c) { return c.startsWith(u"TW5"); });
            return codes;
        };
        const QStringList wrongCodes = own(codesOf(wrong));
        const QStringList mendedCodes = own(codesOf(mended));
        // The server folder's rules (TW6xx) need a folder: test_server_rules checks their examples with one.
        if (!kAbbreviated.contains(code) && !code.startsWith(u"TW6") && !kNeedAFolder.contains(code))
            QVERIFY2(wrongCodes.contains(code), qPrintable(wrongCodes.join(u' ')));
        QCOMPARE(mendedCodes, QStringList());
    }

    void text_showsTheCodeAndBothExamplesLineByLine()
    {
        for (const Explanations::Explanation *e = Explanations::begin(); e != Explanations::end(); ++e) {
            const QString page = Explanations::text(e->rule);
            QVERIFY(page.startsWith(Rules::code(e->rule) + u' '));
            for (const char16_t *example : {e->wrong, e->mended}) {
                for (const QString &line : QString::fromUtf16(example).split(u'\n', Qt::SkipEmptyParts))
                    QVERIFY2(page.contains(QStringLiteral("    ") + line + u'\n'), qPrintable(line));
            }
        }
    }
};

QTEST_GUILESS_MAIN(ExplanationsTest)
#include "test_explanations.moc"
