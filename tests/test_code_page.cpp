// The code-page-932 conversions and the per-character answers the checker reads
// text with, which must agree with them.
#include "common/code_page.h"
#include "common/code_page_characters.h"
#include "common/text_position.h"

#include <QTest>

class CodePageTest : public QObject
{
    Q_OBJECT

private slots:
    void encodeDecode_codePageText_roundTripsExactly_data()
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
    void decode_everySingleByte_readsAsWindowsMapsIt()
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
    void encode_unicodeTwin_writesCodePageCharacter_data()
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
    void encode_unicodeTwin_writesCodePageCharacter()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        bool ok = false;
        QCOMPARE(CodePage932::encode(text, &ok), bytes);
        QVERIFY(ok);
        QCOMPARE(CodePage932::firstUnencodable(text), -1);
    }
    void encodeDecode_codePageText_roundTripsExactly()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        bool ok = false;
        QCOMPARE(CodePage932::encode(text, &ok), bytes);
        QVERIFY(ok);
        QCOMPARE(CodePage932::decode(bytes, &ok), text);
        QVERIFY(ok);
    }

    void firstUnencodable_inText_findsFirstCharacterOutside_data()
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
    void firstUnencodable_inText_findsFirstCharacterOutside()
    {
        QFETCH(QString, text);
        QFETCH(int, index);
        QCOMPARE(CodePage932::firstUnencodable(text), index);
    }

    void decode_invalidBytes_reportsError()
    {
        bool ok = true;
        CodePage932::decode(QByteArray("\x81"), &ok);
        QVERIFY(!ok);
    }

    // The remembered answers for one character say what encoding it says.
    void characterAnswers_forEveryKindOfCharacter_agreeWithEncode_data()
    {
        QTest::addColumn<QString>("character");
        for (const char *text :
             {"a", "~", "\\", "あ", "表", "ｱ", "①", "髙", "～", "〜", "−", "✓", "\uF86F", "\uE000", "😀"})
            QTest::newRow(text) << QString::fromUtf8(text);
    }
    void characterAnswers_forEveryKindOfCharacter_agreeWithEncode()
    {
        QFETCH(QString, character);
        bool ok = false;
        const QByteArray bytes = CodePage932::encode(character, &ok);
        int length = 0;
        QCOMPARE(CodePage932::isEncodable(character, 0, &length), ok);
        QCOMPARE(length, character.size());
        if (character.size() == 1)
            QCOMPARE(CodePage932::lastByte(character.front()), ok ? quint8(bytes.back()) : quint8(0));
    }

    void textPosition_surrogatePair_countsAsOneCharacter()
    {
        const QString text = QStringLiteral("a😀b");
        QCOMPARE(TextPosition::characterLength(text, 1), 2);
        QCOMPARE(TextPosition::characterLength(text, 3), 1);
        QCOMPARE(TextPosition::characterColumn(text, 3), 2);
        QCOMPARE(TextPosition::codePointName(text, 1), QStringLiteral("U+1F600"));
        QCOMPARE(TextPosition::codePointName(text, 0), QStringLiteral("U+0061"));
        // A high surrogate without its pair is one character of its own.
        QCOMPARE(TextPosition::characterLength(QString(QChar(0xD83D)) + u'x', 0), 1);
    }
};

QTEST_GUILESS_MAIN(CodePageTest)
#include "test_code_page.moc"
