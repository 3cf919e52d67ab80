#pragma once

#include "checker/script_check.h"
#include "language_server/protocol.h"

#include <QSet>
#include <QString>
#include <QVector>

#include <optional>

namespace Lsp::Labels {

// A label where it is defined ("L_Yes:") or jumped to (goto, menu, callsub).
struct Site
{
    int line = 0;
    int column = 0;
    int length = 0;
    QString label;
    bool definition = false;
};

// The label the position stands on or just after.
std::optional<Site> at(const ScriptCheck &check, Position position);

// Every definition and jump in the body around `line` of a label spelt like
// `label` but for case; of every label when `label` is empty.
QVector<Site> inBody(const ScriptCheck &check, int line, const QString &label);

// The label a jump reaches among those `defined`: the one spelt as the jump in
// lower case, or else the one spelt as it is (the server looks names up in lower
// case first); empty when none.
QString reached(const QSet<QString> &defined, const QString &jump);

// The sites that go with `site`: the definitions of the label it defines or
// reaches and every jump that reaches that label. For a jump that reaches
// nothing, the jumps spelt as it is.
QVector<Site> occurrences(const ScriptCheck &check, const Site &site);

// The label `site` defines or reaches; empty when it reaches none.
QString target(const ScriptCheck &check, const Site &site);

// Whether `name` may be written as a label: a plain name, not a statement's
// word, every character one the code page holds.
bool isValidName(const QString &name);

// Why the label of `site` cannot be renamed `name`, or an empty text when it can:
// an event label (called by name from outside), a name that is no label's, one
// the NPC already has, or one that would change where another jump goes.
QString renameRefusal(const ScriptCheck &check, const Site &site, const QString &name);

// The distinct labels defined in the body around `line`, sorted.
QStringList definedAround(const ScriptCheck &check, int line);

} // namespace Lsp::Labels
