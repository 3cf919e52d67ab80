#include "project_file/source_family.h"

#include "checker/command_source.h"
#include "common/regular_file.h"

#include <QRegularExpression>

namespace SourceFamily {

std::optional<Target::Servers> serversOf(const QString &path, QStringView text)
{
    if (!CommandSource::looksLikeSource(text))
        return std::nullopt;
    static const QRegularExpression oldForm(QStringLiteral(R"re(\{\s*buildin_\w+\s*,\s*")re"));
    if (oldForm.match(text).hasMatch())
        return Target::Older | Target::Later;
    return path.endsWith(QLatin1String(".c"), Qt::CaseInsensitive) ? Target::TodayStrict : Target::TodayAnyCase;
}

std::optional<Target::Servers> serversOfFile(const QString &path)
{
    const RegularFile::Result read = RegularFile::tryRead(path, RegularFile::kDefaultMaxBytes);
    if (read.status != RegularFile::Result::Status::Read)
        return std::nullopt;
    // Read as the command table reads it.
    return serversOf(path, QString::fromUtf8(read.bytes));
}

} // namespace SourceFamily
