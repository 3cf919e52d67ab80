#pragma once

#include "language_server/findings.h"
#include "language_server/protocol.h"

#include <functional>

namespace Lsp {

// The diagnostics of a script as the protocol shows them, in line order: everything
// found, and calls to functions `defined` says are nowhere (without it, calls are
// not judged). A body whose "}" is missing is reported at its "{" and where the
// next definition begins; each of the two points at the other.
QVector<PublishedDiagnostic> publishedDiagnostics(const Findings &findings, const QString &uri,
                                                  const std::function<bool(const QString &)> &defined);

// The same as a framed publishDiagnostics message. A line's JSON is written once
// and kept while the line stays as it is, with the places of its line number
// known, so that publishing again after an edit costs little more than copying
// what was found.
QByteArray publishMessage(const Findings &findings, const QString &uri, int version,
                          const std::function<bool(const QString &)> &defined);

} // namespace Lsp
