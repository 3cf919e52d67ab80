#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// Every CR LF, lone LF and lone CR ends a line, as Windows editors and the
// server's files mix them; LF CR is two line ends.
namespace LineBreaks {

// `text` with every line end written as one "\n".
QString normalised(QStringView text);

// The lines of `text`. They share its characters rather than copying them, so
// `text` must outlive them and stay unchanged.
QStringList splitSharing(const QString &text);

} // namespace LineBreaks
