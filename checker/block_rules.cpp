#include "checker/block_rules.h"

#include "checker/rules.h"

#include <QHash>
#include <QSet>

namespace BlockRules {

namespace {

struct Jump
{
    int line;
    const LabelUse *use;
};

class BlockReader
{
public:
    explicit BlockReader(const QVector<const LineFacts *> &lines) : lines_(lines), found_(lines.size()) {}

    QVector<Diagnostics> read()
    {
        const LineFacts &first = *lines_.front();
        bool open = startsBlock(first) && first.opensBlock;
        int openMenu = -1;
        for (int i = startsBlock(first) ? 1 : 0; i < lines_.size(); ++i) {
            const LineFacts &line = *lines_.at(i);
            if (line.kind == LineKind::Blank)
                continue;
            if (openMenu >= 0 && line.kind == LineKind::Continuation) {
                takeJumps(i);
                if (line.endsStatement)
                    openMenu = -1;
                continue;
            }
            if (openMenu >= 0) {
                menuNotClosed(openMenu);
                openMenu = -1;
            }
            switch (line.kind) {
            case LineKind::CloseBrace:
                if (open)
                    open = false;
                else
                    report(Rule::StrayCloseBrace, i, line.anchorColumn, line.anchorLength);
                break;
            case LineKind::LabelDefinition:
                if (!open)
                    report(Rule::OutsideBlock, i, line.anchorColumn, line.anchorLength);
                if (!line.label.isEmpty())
                    definitions_.append(i);
                break;
            case LineKind::Statement:
                if (!open)
                    report(Rule::OutsideBlock, i, line.anchorColumn, line.anchorLength);
                takeJumps(i);
                if (line.menu && !line.endsStatement)
                    openMenu = i;
                break;
            case LineKind::Continuation:
                report(Rule::StrayContinuation, i, line.anchorColumn, line.anchorLength);
                break;
            default:
                break;
            }
        }
        if (openMenu >= 0)
            menuNotClosed(openMenu);
        if (open)
            report(Rule::UnclosedBlock, 0, first.anchorColumn, first.anchorLength);
        checkLabels();
        return std::move(found_);
    }

private:
    void report(Rule rule, int line, int column, int length, const QStringList &arguments = {})
    {
        found_[line].append(Rules::make(rule, 0, column, length, arguments));
    }

    void menuNotClosed(int line) { report(Rule::MenuNotClosed, line, lines_.at(line)->endColumn, 1); }

    void takeJumps(int line)
    {
        for (const LabelUse &use : lines_.at(line)->jumps)
            jumps_.append(Jump{line, &use});
    }

    void checkLabels()
    {
        QHash<QString, int> defined;
        for (const int line : definitions_) {
            const LineFacts &facts = *lines_.at(line);
            if (defined.contains(facts.label))
                report(Rule::DuplicateLabel, line, facts.anchorColumn, facts.anchorLength, {facts.label});
            else
                defined.insert(facts.label, line);
        }
        QSet<QString> used;
        for (const Jump &jump : jumps_) {
            const QString &label = jump.use->label;
            if (defined.contains(label)) {
                used.insert(label);
                continue;
            }
            const QString otherCase = definedIgnoringCase(defined, label);
            if (otherCase.isEmpty())
                report(Rule::UndefinedLabel, jump.line, jump.use->column, jump.use->length, {label});
            else
                report(Rule::UndefinedLabelOtherCase, jump.line, jump.use->column, jump.use->length,
                       {label, otherCase});
        }
        for (auto it = defined.cbegin(); it != defined.cend(); ++it) {
            if (!used.contains(it.key())) {
                const LineFacts &facts = *lines_.at(it.value());
                report(Rule::UnusedLabel, it.value(), facts.anchorColumn, facts.anchorLength, {it.key()});
            }
        }
    }

    static QString definedIgnoringCase(const QHash<QString, int> &defined, const QString &label)
    {
        for (auto it = defined.cbegin(); it != defined.cend(); ++it) {
            if (it.key().compare(label, Qt::CaseInsensitive) == 0)
                return it.key();
        }
        return {};
    }

    const QVector<const LineFacts *> &lines_;
    QVector<Diagnostics> found_;
    QVector<int> definitions_;
    QVector<Jump> jumps_;
};

} // namespace

QVector<Diagnostics> check(const QVector<const LineFacts *> &lines)
{
    if (lines.isEmpty())
        return {};
    return BlockReader(lines).read();
}

} // namespace BlockRules
