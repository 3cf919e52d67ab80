#pragma once

#include "checker/diagnostic.h"
#include "language_server/findings.h"

#include <QJsonArray>
#include <QJsonObject>

#include <functional>

namespace Lsp {

// A diagnostic as the protocol writes it: range, severity, the rule's code, message.
QJsonObject diagnosticJson(const Diagnostic &diagnostic);

// The publishDiagnostics message of a script, framed: everything found, in line
// order. A body whose "}" is missing is reported at its "{" and where the next
// definition begins; each of the two points at the other. `defined` says whether
// a function is defined anywhere; without it, calls are not judged. A line's JSON
// is made once and kept while the line stays as it is, so publishing again after
// an edit costs little more than copying what was found.
QByteArray publishMessage(const Findings &findings, const QString &uri, int version,
                          const std::function<bool(const QString &)> &defined);

} // namespace Lsp
