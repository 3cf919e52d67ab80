#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

// The encoding talewick-check reads scripts in: code page 932, as the editor and
// the server's own scripts use, unless the command line names another one the
// toolkit knows.
class ScriptEncoding
{
public:
    ScriptEncoding() = default; // code page 932

    // The encoding the toolkit knows by `name`; nothing for a name it does not know.
    static std::optional<ScriptEncoding> named(const QString &name);

    bool isCodePage932() const { return name_.isEmpty(); }

    // How findings name it: "Shift_JIS", or the name it was given.
    QString displayName() const;

    // The lines of `bytes`, and the numbers of those that hold bytes the encoding
    // cannot read. `whole` is the decoded file the lines share where it decodes.
    QStringList lines(QByteArrayView bytes, QString &whole, QList<int> &undecodable) const;

    // Whether `c` stands, in a line that does not decode, for bytes the encoding
    // could not read.
    static bool isSubstitute(QChar c) { return c == QChar(0x1A) || c == QChar(QChar::ReplacementCharacter); }

private:
    explicit ScriptEncoding(const QString &name) : name_(name) {}
    QString name_; // empty: code page 932
};
