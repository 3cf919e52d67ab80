#include "file_readers.h"
#include "text_lines.h"

namespace ServerFolder::Readers {

Facts entryDbTxt(const QByteArray &bytes, const QString &file, Table table)
{
    Facts facts;
    QList<Entry> &entries = table == Table::Items ? facts.items : facts.monsters;
    const QList<TextLines::Line> lines = TextLines::contentLines(bytes);
    for (const TextLines::Line &line : lines) {
        // Only the first three columns matter; later ones hold scripts with commas.
        const QStringList columns = line.text.split(u',');
        const std::optional<qint64> id = TextLines::integer(columns.at(0).trimmed());
        if (columns.size() < 3 || !id || columns.at(1).trimmed().isEmpty()) {
            return malformed(file, line.number, QStringLiteral("expected an id, a name for scripts and a name"));
        }
        entries.append(Entry{*id, columns.at(1).trimmed(), columns.at(2).trimmed()});
    }
    return facts;
}

} // namespace ServerFolder::Readers
