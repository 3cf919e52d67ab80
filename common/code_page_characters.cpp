#include "common/code_page_characters.h"

#include "common/code_page.h"
#include "common/text_position.h"

#include <array>
#include <memory>

namespace CodePage932 {

namespace {

// One entry per character of the basic plane: 0 not asked yet, 1 not encodable,
// otherwise the last byte written plus 2 (so that byte 0 and 0xFE still fit).
struct Answers
{
    std::array<quint16, 0x10000> entries{};
};

quint16 answer(QChar c)
{
    thread_local std::unique_ptr<Answers> answers;
    if (!answers)
        answers = std::make_unique<Answers>();
    quint16 &entry = answers->entries[c.unicode()];
    if (entry == 0) {
        bool ok = false;
        const QByteArray bytes = encode(QStringView(&c, 1), &ok);
        entry = ok && !bytes.isEmpty() ? quint16(quint8(bytes.back()) + 2) : 1;
    }
    return entry;
}

} // namespace

bool isEncodable(QStringView text, qsizetype index, int *length)
{
    const int units = TextPosition::characterLength(text, index);
    if (length)
        *length = units;
    const QChar c = text.at(index);
    if (c.unicode() < 0x80)
        return true;
    if (units == 2 || c.isSurrogate())
        return false; // the code page holds nothing outside the basic plane
    return answer(c) > 1;
}

quint8 lastByte(QChar c)
{
    if (c.unicode() < 0x80)
        return quint8(c.unicode());
    if (c.isSurrogate())
        return 0;
    const quint16 entry = answer(c);
    return entry > 1 ? quint8(entry - 2) : 0;
}

} // namespace CodePage932
