#include "file_readers.h"
#include "text_lines.h"

namespace ServerFolder::Readers {

Facts constTxt(const QByteArray &bytes, const QString &file)
{
    Facts facts;
    const QList<TextLines::Line> lines = TextLines::contentLines(bytes);
    for (const TextLines::Line &line : lines) {
        const QStringList fields = TextLines::fields(line.text);
        const std::optional<qint64> value = fields.size() >= 2 ? TextLines::integer(fields.at(1)) : std::nullopt;
        if (fields.size() > 3 || !value) {
            return malformed(file, line.number, QStringLiteral("expected a name and a number"));
        }
        facts.constants.insert(fields.at(0), *value);
    }
    return facts;
}

} // namespace ServerFolder::Readers
