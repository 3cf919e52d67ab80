#include "language_server/json_reader.h"

#include <QJsonArray>
#include <QJsonObject>

#include <cmath>

namespace Lsp {

JsonReader::JsonReader(const QJsonValue &value, const QString &path)
    : JsonReader(value, path, std::make_shared<QString>())
{
}

JsonReader::JsonReader(const QJsonValue &value, QString path, std::shared_ptr<QString> failure)
    : value_(value), path_(std::move(path)), failure_(std::move(failure))
{
}

void JsonReader::refuse(const QString &what) const
{
    if (failed())
        return;
    *failure_ = path_ + (value_.isUndefined() ? QStringLiteral(": missing") : QStringLiteral(": expected ") + what);
}

bool JsonReader::is(QJsonValue::Type type, const char *expected) const
{
    if (failed())
        return false;
    if (value_.type() == type)
        return true;
    refuse(QLatin1String(expected));
    return false;
}

JsonReader JsonReader::field(const char *name) const
{
    const QLatin1String key(name);
    const QJsonValue member = is(QJsonValue::Object, "an object") ? value_.toObject().value(key) : QJsonValue();
    return JsonReader(member, path_ + u'.' + key, failure_);
}

bool JsonReader::has(const char *name) const
{
    return value_.isObject() && value_.toObject().contains(QLatin1String(name));
}

JsonReader JsonReader::item(qsizetype index) const
{
    const QJsonValue item = is(QJsonValue::Array, "an array") ? value_.toArray().at(index) : QJsonValue();
    return JsonReader(item, path_ + u'[' + QString::number(index) + u']', failure_);
}

qsizetype JsonReader::size() const
{
    return is(QJsonValue::Array, "an array") ? value_.toArray().size() : 0;
}

QString JsonReader::string() const
{
    return is(QJsonValue::String, "a string") ? value_.toString() : QString();
}

int JsonReader::integer() const
{
    if (!is(QJsonValue::Double, "a number"))
        return 0;
    const double number = value_.toDouble();
    if (number != std::floor(number) || std::abs(number) > 2147483647.0) {
        refuse(QStringLiteral("a whole number"));
        return 0;
    }
    return int(number);
}

int JsonReader::count() const
{
    if (!is(QJsonValue::Double, "a number"))
        return 0;
    const double number = value_.toDouble();
    if (!(number >= 0) || number != std::floor(number)) {
        refuse(QStringLiteral("a whole number from 0"));
        return 0;
    }
    return number > 2147483647.0 ? 2147483647 : int(number);
}

bool JsonReader::boolean() const
{
    return is(QJsonValue::Bool, "true or false") && value_.toBool();
}

} // namespace Lsp
