#pragma once

#include "language_server/findings.h"
#include "language_server/protocol.h"

#include <QHash>

#include <functional>

namespace Lsp {

// How reads of player variables are judged across the workspace: whether a
// variable's key is set anywhere, and the nearest name set, as a hint. Without it,
// reads are not judged.
struct VariableJudge
{
    std::function<bool(const QString &)> isSet;
    std::function<QString(const QString &)> nearest;
    explicit operator bool() const { return bool(isSet); }
};

// The diagnostics of a script as the protocol shows them, in line order: everything
// found, calls to functions `defined` says are nowhere (without it, calls are not
// judged), and reads of player variables that `variables` says nothing sets. A body whose "}" is missing is reported at
// its "{" and where the next definition begins; each of the two points at the other.
// `loads`: what the load order decides (loadFindings), by line.
QVector<PublishedDiagnostic> publishedDiagnostics(const Findings &findings, const QString &uri,
                                                  const std::function<bool(const QString &)> &defined,
                                                  const VariableJudge &variables = {},
                                                  const QHash<int, Diagnostics> &loads = {});

// The same as a framed publishDiagnostics message. A line's JSON is written once
// and kept while the line stays as it is, with the places of its line number
// known, so that publishing again after an edit costs little more than copying
// what was found.
QByteArray publishMessage(const Findings &findings, const QString &uri, int version,
                          const std::function<bool(const QString &)> &defined, const VariableJudge &variables = {},
                          const QHash<int, Diagnostics> &loads = {});

} // namespace Lsp
