#include "project_file/project_file.h"

#include "checker/rules.h"
#include "common/regular_file.h"
#include "project_file/key_lines.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStringDecoder>

#include <algorithm>
#include <array>

namespace ProjectFile {

namespace {

// A project file is a few lines; anything much larger is not one.
constexpr qint64 kMaxBytes = 1024 * 1024;

// Reads one key's value into `settings`; returns what does not read, one message each.
using ValueReader = QStringList (*)(const QString &value, const QDir &folder, Settings &settings);

QStringList items(const QString &value)
{
    QStringList items;
    for (const QString &item : value.split(u',', Qt::SkipEmptyParts)) {
        if (!item.trimmed().isEmpty())
            items.append(item.trimmed());
    }
    return items;
}

QStringList readTarget(const QString &value, const QDir &, Settings &settings)
{
    const std::optional<Target> target = Target::fromName(value);
    if (!target)
        return {QStringLiteral("target の「%1」は知らない対象です（older、later、today、today-strict、"
                               "today-anycase のどれか）")
                    .arg(value)};
    settings.servers = target->servers();
    return {};
}

// `value` taken from the file's own folder, when it names a folder (or else a file) that is there.
std::optional<QString> pathFrom(const QDir &folder, const QString &value, bool wantFolder)
{
    const QString path = QDir::cleanPath(folder.absoluteFilePath(value));
    const QFileInfo info(path);
    return (wantFolder ? info.isDir() : info.isFile()) ? std::optional<QString>(path) : std::nullopt;
}

QStringList readServer(const QString &value, const QDir &folder, Settings &settings)
{
    const std::optional<QString> path = pathFrom(folder, value, true);
    if (!path)
        return {QStringLiteral("server の「%1」はフォルダではありません").arg(value)};
    settings.serverFolder = *path;
    return {};
}

QStringList readCommands(const QString &value, const QDir &folder, Settings &settings)
{
    const std::optional<QString> path = pathFrom(folder, value, false);
    if (!path)
        return {QStringLiteral("commands の「%1」はファイルではありません").arg(value)};
    settings.commandsPath = *path;
    return {};
}

QStringList readDisable(const QString &value, const QDir &, Settings &settings)
{
    QStringList problems;
    for (const QString &code : items(value)) {
        if (Rules::find(code.toUpper()))
            settings.disabled.insert(code.toUpper());
        else
            problems.append(QStringLiteral("disable の「%1」は規則のコードではありません").arg(code));
    }
    return problems;
}

// "TW104=error": the code's findings become errors; "off" leaves them out.
QStringList readSeverity(const QString &value, const QDir &, Settings &settings)
{
    QStringList problems;
    for (const QString &item : items(value)) {
        const QString code = item.section(u'=', 0, 0).trimmed().toUpper();
        const QString level = item.section(u'=', 1).trimmed().toLower();
        if (!item.contains(u'=') || !Rules::find(code))
            problems.append(QStringLiteral("severity の「%1」は「規則のコード=重さ」ではありません").arg(item));
        else if (level == u"off")
            settings.disabled.insert(code);
        else if (level == u"error" || level == u"warning")
            settings.severities.insert(code,
                                       level == u"error" ? Diagnostic::Severity::Error : Diagnostic::Severity::Warning);
        else
            problems.append(QStringLiteral("severity の「%1」の重さは error、warning、off のどれかです").arg(item));
    }
    return problems;
}

QStringList readEncoding(const QString &value, const QDir &, Settings &settings)
{
    if (!QStringDecoder(value.toLatin1().constData()).isValid())
        return {QStringLiteral("encoding の「%1」は知らない文字コードです").arg(value)};
    settings.encoding = value;
    return {};
}

QStringList readFlags(const QString &value, const QDir &, Settings &settings)
{
    QStringList problems;
    Target check;
    for (const QString &flag : items(value)) {
        if (check.setFlag(flag))
            settings.flags.append(flag);
        else
            problems.append(QStringLiteral("flags の「%1」はフラグの名前ではありません").arg(flag));
    }
    return problems;
}

struct Key
{
    QLatin1String name;
    ValueReader read;
};

const std::array<Key, 7> kKeys = {{
    {QLatin1String("target"), readTarget},
    {QLatin1String("server"), readServer},
    {QLatin1String("commands"), readCommands},
    {QLatin1String("disable"), readDisable},
    {QLatin1String("severity"), readSeverity},
    {QLatin1String("encoding"), readEncoding},
    {QLatin1String("flags"), readFlags},
}};

// The value as written: a value with commas reads as a list, which is joined back.
QString valueOf(const QSettings &ini, const QString &key)
{
    const QVariant value = ini.value(key);
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(u',').trimmed();
    return value.toString().trimmed();
}

void readKeys(const QSettings &ini, Settings &settings)
{
    const QDir folder = QFileInfo(settings.path).absoluteDir();
    for (const QString &key : ini.allKeys()) {
        const int line = settings.lines.value(key);
        const auto known = std::find_if(kKeys.cbegin(), kKeys.cend(), [&](const Key &k) { return k.name == key; });
        if (known == kKeys.cend()) {
            settings.warnings.append({settings.path, line, QStringLiteral("「%1」は知らないキーです").arg(key)});
            continue;
        }
        const QString value = valueOf(ini, key);
        if (value.isEmpty())
            continue;
        for (const QString &problem : known->read(value, folder, settings))
            settings.warnings.append({settings.path, line, problem});
    }
}

} // namespace

QString fileName()
{
    return QStringLiteral("talewick-check.ini");
}

QString find(const QString &folder)
{
    QDir dir(QFileInfo(folder.isEmpty() ? QStringLiteral(".") : folder).absoluteFilePath());
    do {
        const QString candidate = dir.filePath(fileName());
        if (QFileInfo(candidate).isFile())
            return candidate;
    } while (dir.cdUp());
    return QString();
}

Settings read(const QString &path)
{
    Settings settings;
    settings.path = path;
    const RegularFile::Result file = RegularFile::tryRead(path, kMaxBytes);
    if (file.status != RegularFile::Result::Status::Read) {
        settings.warnings.append({path, 0, QStringLiteral("読めません")});
        return settings;
    }
    settings.lines = KeyLines::of(QString::fromUtf8(file.bytes));
    const QSettings ini(path, QSettings::IniFormat);
    if (ini.status() == QSettings::FormatError)
        settings.warnings.append({path, 0, QStringLiteral("INI の形で読めません")});
    readKeys(ini, settings);
    std::stable_sort(settings.warnings.begin(), settings.warnings.end(),
                     [](const Warning &a, const Warning &b) { return a.line < b.line; });
    return settings;
}

Settings nearest(const QString &folder)
{
    const QString path = find(folder);
    return path.isEmpty() ? Settings{} : read(path);
}

QString text(const Warning &warning)
{
    return warning.line > 0 ? QStringLiteral("%1:%2: %3").arg(warning.file).arg(warning.line).arg(warning.message)
                            : QStringLiteral("%1: %2").arg(warning.file, warning.message);
}

} // namespace ProjectFile
