#pragma once

#include <QJsonValue>
#include <QString>

#include <memory>

namespace Lsp {

// Reads JSON down through objects and arrays, carrying the path it came by
// ("params.contentChanges[2].range"), so that what does not read is told by where
// it is and what was wanted there. The first failure is kept, shared by every
// reader taken from the same root; reads after it give empty values, so a caller
// reads everything and looks once at the end.
class JsonReader
{
public:
    JsonReader(const QJsonValue &value, const QString &path);

    // The member `name`; this must be an object.
    JsonReader field(const char *name) const;
    // Whether this is an object with the member `name`, null or not.
    bool has(const char *name) const;
    // The item at `index` (below size()); this must be an array.
    JsonReader item(qsizetype index) const;
    qsizetype size() const;

    bool isNull() const { return value_.isNull(); }
    QString string() const;
    // A whole number from 0; past the largest int, the largest int, as clients
    // send the largest unsigned 32-bit number for "the end of the line".
    int count() const;
    int integer() const;
    bool boolean() const;
    // The value as it stands, for what is read leniently.
    const QJsonValue &value() const { return value_; }

    // Records "<path>: expected <what>" unless something failed before.
    void refuse(const QString &what) const;
    bool failed() const { return !failure_->isEmpty(); }
    // "params.position.line: expected a number"; empty while nothing failed.
    const QString &failure() const { return *failure_; }

private:
    JsonReader(const QJsonValue &value, QString path, std::shared_ptr<QString> failure);
    // Whether this reads as the JSON type `type`; records why not.
    bool is(QJsonValue::Type type, const char *expected) const;

    QJsonValue value_;
    QString path_;
    std::shared_ptr<QString> failure_;
};

} // namespace Lsp
