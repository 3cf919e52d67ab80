// The error dialog's text rule and the code-page conversions it rests on.
#include "app/error_text.h"
#include "common/code_page.h"

#include <QTest>

class ErrorTextTest : public QObject
{
    Q_OBJECT

private slots:
    void errorDialogText_data()
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
    void errorDialogText()
    {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(::errorDialogText(message), shown);
    }

    void codePage_roundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("backslash") << "\\" << QByteArray("\x5c");
        QTest::newRow("tilde") << "~" << QByteArray("\x7e");
        QTest::newRow("circled one") << "①" << QByteArray("\x87\x40");
        QTest::newRow("half-width katakana") << "ﾏﾃ" << QByteArray("\xcf\xc3");
        QTest::newRow("wave dash") << "～" << QByteArray("\x81\x60");
        QTest::newRow("kanji") << "仮" << QByteArray("\x89\xbc");
        QTest::newRow("controls between double-byte characters")
            << QString::fromUtf16(u"仮\x1A仮\x1C\x7F") << QByteArray("\x89\xbc\x1a\x89\xbc\x1c\x7f");
    }

    // Bug: the converter read 0x1A as U+001C and wrote U+001C as 0x1A (0x1C and 0x7F
    // were rotated alike), unlike code page 932 as Windows maps it.
    void codePage_everySingleByte_roundTripsAsWindowsMapsIt()
    {
        for (int value = 0; value < 256; ++value) {
            const QByteArray byte(1, char(value));
            const bool single = value < 0x80 || (value >= 0xA1 && value <= 0xDF);
            bool ok = false;
            const QString text = CodePage932::decode(byte, &ok);
            QVERIFY2(ok == single, qPrintable(QString::number(value, 16)));
            if (!single)
                continue;
            const char16_t expected = value < 0x80 ? char16_t(value) : char16_t(0xFF61 + value - 0xA1);
            QCOMPARE(text, QString(QChar(expected)));
            QCOMPARE(CodePage932::encode(text, &ok), byte);
            QVERIFY(ok);
        }
    }

    // Bug: text typed with a Japanese input method on Linux could not be saved.
    void codePage_unicodeTwins_writtenAsCodePageCharacters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("wave dash") << "よろしく\u301C" << QByteArray("\x82\xe6\x82\xeb\x82\xb5\x82\xad\x81\x60");
        QTest::newRow("minus sign") << "\u22125"
                                    << QByteArray("\x81\x7c"
                                                  "5");
        QTest::newRow("double vertical line") << "\u2016" << QByteArray("\x81\x61");
        QTest::newRow("cent, pound, not") << "\u00a2\u00a3\u00ac" << QByteArray("\x81\x91\x81\x92\x81\xca");
        QTest::newRow("em dash") << "\u2014" << QByteArray("\x81\x5c");
        QTest::newRow("broken bar") << "\u00a6" << QByteArray("\xfa\x55");
    }
    void codePage_unicodeTwins_writtenAsCodePageCharacters()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        bool ok = false;
        QCOMPARE(CodePage932::encode(text, &ok), bytes);
        QVERIFY(ok);
        QCOMPARE(CodePage932::firstUnencodable(text), -1);
    }
    void codePage_roundTrip()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        bool ok = false;
        QCOMPARE(CodePage932::encode(text, &ok), bytes);
        QVERIFY(ok);
        QCOMPARE(CodePage932::decode(bytes, &ok), text);
        QVERIFY(ok);
    }

    void codePage_firstUnencodable_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("index");
        QTest::newRow("all encodable") << "あいう\tabc" << -1;
        QTest::newRow("emoji in the middle") << "ab😀cd" << 2;
        QTest::newRow("dingbat first") << "✓1" << 0;
        QTest::newRow("two, the first counts") << "aaaa✓bb😀" << 4;
        QTest::newRow("last") << QString(1000, u'a') + u'✓' << 1000;
        QTest::newRow("empty") << "" << -1;
        // Bug: the converter wrote this private-use character as the bytes of "№".
        QTest::newRow("one-way private use") << "ab\uF86F" << 2;
        QTest::newRow("private use that round-trips") << "\uE000" << -1;
    }
    void codePage_firstUnencodable()
    {
        QFETCH(QString, text);
        QFETCH(int, index);
        QCOMPARE(CodePage932::firstUnencodable(text), index);
    }

    void codePage_invalidBytes_reported()
    {
        bool ok = true;
        CodePage932::decode(QByteArray("\x81"), &ok);
        QVERIFY(!ok);
    }
};

QTEST_MAIN(ErrorTextTest)
#include "test_error_text.moc"
