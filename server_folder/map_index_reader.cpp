#include "file_readers.h"
#include "text_lines.h"

namespace ServerFolder::Readers {

Facts mapIndex(const QByteArray &bytes, const QString &file)
{
    Facts facts;
    const QList<TextLines::Line> lines = TextLines::contentLines(bytes);
    for (const TextLines::Line &line : lines) {
        const QStringList fields = TextLines::fields(line.text);
        if (fields.size() > 2 || (fields.size() == 2 && !TextLines::integer(fields.at(1)))) {
            return malformed(file, line.number, QStringLiteral("expected a map name and an optional number"));
        }
        facts.maps.insert(fields.at(0));
    }
    return facts;
}

} // namespace ServerFolder::Readers
