#pragma once

#include <QString>
#include <QStringView>

// The commands a server of the family defines in its own source, read as rows of
// the command table. Older servers list them as `{buildin_mes,"mes","s"},`, later
// ones as `BUILDIN_DEF(mes,"s"),` and `BUILDIN_DEF2(func,"name","args"),`. The
// preprocessor is not followed: a command inside `#ifdef` counts, since some build
// has it; one inside a comment does not.
//
// The argument letters give the counts: each letter is one argument, `?` among
// them, which is one optional argument of any type; the letters after the first
// `?` are optional too, and `*` lets any number of further arguments follow.
// `s` is read as a string, `l` as a label, every other letter (`r` a variable,
// `v` any value) as an expression.
namespace CommandSource {

// Whether `text` defines commands in one of the forms above, rather than being a
// table of tab-separated rows.
bool looksLikeSource(QStringView text);

// The table rows ("word<TAB>min<TAB>max<TAB>arguments") of every command defined
// in `text`; empty, with `error` set, when it defines none. The source says nothing
// of the later columns: a row keeps what the table said of its word, and a new
// word takes their defaults.
QString tableRows(QStringView text, QString *error = nullptr);

} // namespace CommandSource
