#include "project_file/key_lines.h"

#include <QStringList>

namespace KeyLines {

namespace {

// The name of a "[section]" line, or nothing when the line is no section header.
std::optional<QString> sectionOf(QStringView line)
{
    if (!line.startsWith(u'[') || !line.endsWith(u']'))
        return std::nullopt;
    const QString name = line.sliced(1, line.size() - 2).trimmed().toString();
    return name.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0 ? QString() : name;
}

} // namespace

QHash<QString, int> of(QStringView text)
{
    QHash<QString, int> lines;
    // A byte order mark is no part of the first key, as the settings reader skips it too.
    if (text.startsWith(QChar(QChar::ByteOrderMark)))
        text = text.sliced(1);
    QString section;
    int number = 0;
    for (const QStringView raw : text.split(u'\n')) {
        ++number;
        const QStringView line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        if (const std::optional<QString> header = sectionOf(line)) {
            section = *header;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0)
            continue;
        const QString key = line.first(equals).trimmed().toString();
        lines.insert(section.isEmpty() ? key : section + u'/' + key, number);
    }
    return lines;
}

} // namespace KeyLines
