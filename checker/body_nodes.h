#pragma once

#include "checker/body_form.h"
#include "checker/flow_step.h"

// How the lowering turns a statement's expression trees into the nodes the run
// evaluates, reading names and literals from the lines of the check.
namespace BodyForm {

// The statement's top-level expression number `index`, or nullptr.
const Expression *part(const FlowStep &step, int index);

class NodeReader
{
public:
    NodeReader(const ScriptCheck &check, Body &body) : check_(check), body_(body) {}

    // The statement's top-level expressions, in order, as nodes of the body.
    QVector<int> roots(const Statement &s);
    // Its expression number `index` as a node; -1 when it has none or the part is left out.
    int root(const Statement &s, int index);
    // Expression `local` of the statement's step, with its operands.
    int convert(const Statement &s, int local);
    // The node's own token as written.
    QString tokenText(const Statement &s, const Expression &e) const;

private:
    QString sourceOf(const Statement &s, const Expression &e) const;

    const ScriptCheck &check_;
    Body &body_;
};

} // namespace BodyForm
