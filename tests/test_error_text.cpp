// The error dialog's text rule: a stop after messages whose last character
// compares above it in the code page.
#include "app/error_text.h"

#include <QTest>

class ErrorTextTest : public QObject
{
    Q_OBJECT

private slots:
    void errorDialogText_byLastCharacter_addsStopOnlyAboveIt_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("ends in stop") << "Done."
                                      << "Done.";
        QTest::newRow("ends in ん") << "ファイル help/npc_info.txt は開けません"
                                    << "ファイル help/npc_info.txt は開けません.";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("ends in letter") << "abc"
                                        << "abc.";
        QTest::newRow("ends in digit") << "line 3"
                                       << "line 3.";
        QTest::newRow("ends in slash (above the stop)") << "a/"
                                                        << "a/.";
        QTest::newRow("ends in exclamation") << "stop!"
                                             << "stop!";
        QTest::newRow("ends in parenthesis") << "(x)"
                                             << "(x)";
        QTest::newRow("ends in comma") << "a,"
                                       << "a,";
        QTest::newRow("ends in hyphen") << "a-"
                                        << "a-";
        QTest::newRow("ends in blank") << "a "
                                       << "a ";
        QTest::newRow("half-width katakana is one byte above the stop") << "ﾏﾃ"
                                                                        << "ﾏﾃ.";
        QTest::newRow("character outside the code page") << "😀"
                                                         << "😀.";
    }
    void errorDialogText_byLastCharacter_addsStopOnlyAboveIt()
    {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(::errorDialogText(message), shown);
    }
};

QTEST_MAIN(ErrorTextTest)
#include "test_error_text.moc"
