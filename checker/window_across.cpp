#include "checker/window_across.h"

#include <QSet>
#include <QStringList>

#include <algorithm>
#include <map>

namespace WindowAcross {

namespace {

class Resolver
{
public:
    Resolver(QVector<FileWindows> files, const Recompute &recompute)
        : files_(std::move(files)), recompute_(recompute), done_(files_.size())
    {
        for (int file = 0; file < files_.size(); ++file) {
            for (auto function = files_.at(file).cbegin(); function != files_.at(file).cend(); ++function)
                definers_[function.key()].append(file);
        }
    }

    Table run()
    {
        while (round()) {
        }
        return table_;
    }

private:
    // Settles the functions whose every callee in another file is settled; false
    // when there was none.
    bool round()
    {
        std::map<int, QStringList> ready; // by file, in the files' order
        for (int file = 0; file < files_.size(); ++file) {
            for (auto function = files_.at(file).cbegin(); function != files_.at(file).cend(); ++function) {
                if (!done_.at(file).contains(function.key()) && leansOnSettledOnly(function.value()))
                    ready[file].append(function.key());
            }
        }
        if (ready.empty())
            return false;
        for (auto &[file, names] : ready)
            settleIn(file, names);
        // What the round settled counts from the next round on: a round never sees
        // its own results, so the order files are taken in decides nothing.
        for (auto &[file, names] : ready) {
            for (const QString &name : std::as_const(names))
                settleName(name);
        }
        return true;
    }

    bool leansOnSettledOnly(const FunctionWindow &function) const
    {
        for (auto callee = function.leanedOn.cbegin(); callee != function.leanedOn.cend(); ++callee) {
            if (definers_.contains(callee.key()) && !settled_.contains(callee.key()))
                return false;
        }
        return true;
    }

    // Whether the function was worked out with what the table says now.
    bool agreesWithTable(const FunctionWindow &function) const
    {
        for (auto callee = function.leanedOn.cbegin(); callee != function.leanedOn.cend(); ++callee) {
            const auto entry = table_.constFind(callee.key());
            const std::optional<WindowSummary> now =
                entry != table_.cend() ? std::optional<WindowSummary>(*entry) : std::nullopt;
            if (now != callee.value())
                return false;
        }
        return true;
    }

    void settleIn(int file, const QStringList &names)
    {
        const FileWindows &windows = files_.at(file);
        const bool stale = std::any_of(names.cbegin(), names.cend(), [&](const QString &name) {
            return !agreesWithTable(windows.value(name));
        });
        if (stale) {
            std::optional<FileWindows> again = recompute_ ? recompute_(file, table_) : std::nullopt;
            if (again)
                files_[file] = std::move(*again);
        }
        for (const QString &name : names) {
            const auto function = files_.at(file).constFind(name);
            // A file that could not be asked again, or lost the function, leaves it unknown.
            const bool known = function != files_.at(file).cend() && agreesWithTable(*function);
            if (known)
                summaries_[name].insert(file, function->summary);
            done_[file].insert(name);
        }
    }

    // Once every file that defines `name` has settled it: what they agree on, or unknown.
    void settleName(const QString &name)
    {
        const QVector<int> &files = definers_.value(name);
        if (settled_.contains(name) ||
            std::any_of(files.cbegin(), files.cend(), [&](int file) { return !done_.at(file).contains(name); }))
            return;
        settled_.insert(name);
        const QHash<int, WindowSummary> said = summaries_.take(name);
        if (said.size() != files.size())
            return;
        const WindowSummary first = said.cbegin().value();
        if (std::all_of(said.cbegin(), said.cend(), [&](const WindowSummary &s) { return s == first; }))
            table_.insert(name, first);
    }

    QVector<FileWindows> files_;
    const Recompute &recompute_;
    QHash<QString, QVector<int>> definers_;
    QVector<QSet<QString>> done_;               // by file, its functions settled
    QHash<QString, QHash<int, WindowSummary>> summaries_; // by name, what each file settled it to
    QSet<QString> settled_;
    Table table_;
};

} // namespace

Table resolve(QVector<FileWindows> files, const Recompute &recompute)
{
    return Resolver(std::move(files), recompute).run();
}

} // namespace WindowAcross
