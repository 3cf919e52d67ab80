#pragma once

#include "checker/diagnostic.h"

#include <QSet>
#include <QString>
#include <QStringView>

#include <memory>

// "// talewick-check disable=TW210,TW104" on a line of its own silences those codes
// on the next statement; before the first definition line, in the whole file.
namespace Directives {

using Codes = std::shared_ptr<const QSet<QString>>;

struct Directive
{
    bool present = false;
    QSet<QString> codes;     // known codes, as the rules spell them
    Diagnostics diagnostics; // codes no rule has, line number 0
};

// Reads `line` as a directive; `present` is false for any other line.
Directive read(QStringView line);

// Whether `codes` holds `code`; no codes silence nothing.
inline bool silences(const Codes &codes, const QString &code)
{
    return codes && codes->contains(code);
}

// Both sets in one; either may be empty.
Codes joined(const Codes &a, const QSet<QString> &b);

// Whether the two hold the same codes.
bool same(const Codes &a, const Codes &b);

} // namespace Directives
