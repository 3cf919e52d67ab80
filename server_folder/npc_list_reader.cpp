#include "file_readers.h"
#include "text_lines.h"

namespace ServerFolder::Readers {

namespace {

std::optional<NpcListLine::Kind> kindOf(const QString &key)
{
    if (key == QLatin1String("npc")) {
        return NpcListLine::Kind::Npc;
    }
    if (key == QLatin1String("delnpc")) {
        return NpcListLine::Kind::DelNpc;
    }
    if (key == QLatin1String("import")) {
        return NpcListLine::Kind::Import;
    }
    return std::nullopt;
}

} // namespace

NpcList npcList(const QByteArray &bytes, const QString &file)
{
    NpcList list;
    const QList<TextLines::Line> lines = TextLines::contentLines(bytes);
    for (const TextLines::Line &line : lines) {
        const qsizetype colon = line.text.indexOf(u':');
        const QString path = line.text.mid(colon + 1).trimmed();
        if (colon <= 0 || path.isEmpty()) {
            return NpcList{{}, {Problem{file, line.number, QStringLiteral("expected key: path")}}};
        }
        // Other keys set options of the loader, not what it loads.
        if (const auto kind = kindOf(line.text.left(colon).trimmed().toLower())) {
            list.lines.append(NpcListLine{*kind, path});
        }
    }
    return list;
}

} // namespace ServerFolder::Readers
