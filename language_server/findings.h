#pragma once

#include "checker/script_check.h"
#include "language_server/text_document.h"
#include "project_file/finding_policy.h"

#include <QByteArrayList>
#include <QHash>
#include <QSet>
#include <QString>

#include <memory>
#include <utility>
#include <vector>

namespace Lsp {

// The lines of an open script on which the checker found something, which call or
// define a function, or which set or read a player variable, in line order. Each edit updates only the lines it
// touched and the numbers after them, so that publishing costs what was found, not
// the length of the script.
class Findings
{
public:
    struct Line
    {
        int number = 0;
        Diagnostics diagnostics;
        QVector<CallfuncSite> calls;
        // Names called as commands that no command or function of the file has
        // (TW115): functions of other files, called by name on today's servers.
        QVector<CallfuncSite> byName;
        ScriptCheck::FunctionUse function; // the function the line defines; empty name if none
        // Player variables set on the line, and those read whose warning no directive silences.
        ScriptCheck::PlayerVariables variables;
        // What the line defines and asks of the scripts loaded with it (LoadOrderRules),
        // lines counted from this one; what a directive or the project silences is
        // left out, and a name whose clash is silenced (TW333) is marked so.
        LoadOrderRules::Uses loads;
        bool nameClashSilenced = false;
        mutable QByteArrayList json; // the diagnostics' JSON, cut where the line number goes (writeCutAtLine)
    };

    // `policy` leaves out what the script's project disables and sets the
    // severities it gives, here and in what is judged across files.
    explicit Findings(const ScriptCheck &check, FindingPolicy policy = {});
    // Returns whether a line that defines a function or sets a player variable, or
    // did, was among those touched.
    bool update(const ScriptCheck &check, const TextDocument::Edit &edit);

    // Whether what a line asks of the scripts loaded with it changed, or moved,
    // since the last call: only then is the load order judged again.
    bool takeLoadsChanged() { return std::exchange(loadsChanged_, false); }

    // Each line is kept behind a pointer, so that putting one in or taking one out
    // in the middle of a long script moves pointers rather than lines.
    using HeldLines = std::vector<std::unique_ptr<Line>>;
    class Lines
    {
    public:
        struct Iterator
        {
            HeldLines::const_iterator at;
            const Line &operator*() const { return **at; }
            const Line *operator->() const { return at->get(); }
            Iterator &operator++()
            {
                ++at;
                return *this;
            }
            bool operator!=(const Iterator &other) const { return at != other.at; }
        };
        explicit Lines(const HeldLines &held) : held_(held) {}
        Iterator begin() const { return {held_.cbegin()}; }
        Iterator end() const { return {held_.cend()}; }

    private:
        const HeldLines &held_;
    };

    // The lines with findings, calls, functions or player variables, in line order.
    Lines lines() const { return Lines(lines_); }
    // The lines that hold nothing but what they ask of the scripts loaded with this one.
    Lines loadOnlyLines() const { return Lines(loadOnly_); }
    // The line of `number` among those, or nullptr.
    const Line *loadOnlyLine(int number) const;
    // Every line that asks something of the scripts loaded with this one, in line order.
    template <typename Visit> void forEachWithLoads(Visit visit) const
    {
        auto own = lines_.cbegin();
        auto apart = loadOnly_.cbegin();
        while (own != lines_.cend() || apart != loadOnly_.cend()) {
            const bool takeOwn =
                apart == loadOnly_.cend() || (own != lines_.cend() && (*own)->number < (*apart)->number);
            const Line &line = takeOwn ? **own++ : **apart++;
            if (!line.loads.isEmpty())
                visit(line);
        }
    }
    QSet<QString> functionNames() const;
    // The player variables the script sets: spellings by key in lower case.
    QHash<QString, QString> playerVariablesSet() const;
    const FindingPolicy &policy() const { return policy_; }

private:
    bool refresh(const ScriptCheck &check, int number);
    Line read(const ScriptCheck &check, int number) const;
    void removeAndShift(HeldLines &held, const TextDocument::Edit &edit, bool &offers);
    void readLoads(const ScriptCheck &check, int number, Line &line) const;

public:
    // Reads the lines again whose diagnostics a flow judgement changed.
    void refreshLines(const ScriptCheck &check, const QVector<int> &numbers)
    {
        for (const int number : numbers)
            refresh(check, number);
    }

private:
    FindingPolicy policy_;
    HeldLines lines_;
    HeldLines loadOnly_;
    bool loadsChanged_ = true;
};

} // namespace Lsp
