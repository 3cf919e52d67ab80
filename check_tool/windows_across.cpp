#include "check_tool/windows_across.h"

#include <QThread>

#include <algorithm>
#include <atomic>
#include <map>
#include <set>
#include <thread>
#include <vector>

namespace WindowsAcross {

namespace {

bool isUndecodable(const Diagnostic &d)
{
    return d.rule == Rule::Undecodable || d.rule == Rule::UndecodableInText;
}

// The file's findings after its bodies were judged again: those of its bytes, as
// they were, then the check's, in the order checkBytes gives them.
void refindings(CheckReport::FileResult &file)
{
    Diagnostics all;
    std::copy_if(file.diagnostics.cbegin(), file.diagnostics.cend(), std::back_inserter(all), isUndecodable);
    all += file.windowCheck->allDiagnostics();
    std::stable_sort(all.begin(), all.end(), [](const Diagnostic &a, const Diagnostic &b) {
        return a.line != b.line ? a.line < b.line : a.column < b.column;
    });
    file.diagnostics = std::move(all);
}

// Whether some file of `members` looked up a name another of them defines.
bool anyCallAcross(const QVector<CheckReport::FileResult> &files, const std::vector<int> &members)
{
    std::map<QString, std::set<int>> definers;
    for (const int member : members) {
        for (auto function = files.at(member).functionWindows.cbegin();
             function != files.at(member).functionWindows.cend(); ++function)
            definers[function.key()].insert(member);
    }
    for (const int member : members) {
        const std::shared_ptr<ScriptCheck> &check = files.at(member).windowCheck;
        for (const QString &name : check ? check->namesLookedUpOutside() : QSet<QString>()) {
            const auto found = definers.find(name);
            if (found != definers.cend() && (found->second.size() > 1 || !found->second.count(member)))
                return true;
        }
    }
    return false;
}

// Each file whose calls the table changes, judged again, side by side on every core.
void judgeWith(QVector<CheckReport::FileResult> &files, const std::vector<int> &members,
               const std::shared_ptr<const WindowAcross::Table> &table)
{
    std::vector<int> kept;
    for (const int member : members) {
        if (files.at(member).windowCheck)
            kept.push_back(member);
    }
    std::atomic<size_t> next{0};
    const auto work = [&] {
        for (size_t at = next++; at < kept.size(); at = next++) {
            CheckReport::FileResult &file = files[kept[at]];
            // Rounds of the table may have marked bodies already: they are judged even
            // when the final table says what the last round did.
            file.windowCheck->setOutsideWindows(table);
            if (!file.windowCheck->updateFlow().isEmpty())
                refindings(file);
        }
    };
    const size_t threads = std::min(kept.size(), size_t(std::clamp(QThread::idealThreadCount(), 1, 16)));
    std::vector<std::thread> workers;
    for (size_t i = 1; i < threads; ++i)
        workers.emplace_back(work);
    work();
    for (std::thread &worker : workers)
        worker.join();
}

void judgeTogether(QVector<CheckReport::FileResult> &files, const std::vector<int> &members)
{
    if (!anyCallAcross(files, members))
        return;
    QVector<WindowAcross::FileWindows> windows;
    for (const int member : members)
        windows.append(files.at(member).functionWindows);
    const auto recompute = [&](int index, const WindowAcross::Table &table) -> std::optional<WindowAcross::FileWindows> {
        const std::shared_ptr<ScriptCheck> &check = files.at(members[size_t(index)]).windowCheck;
        if (!check)
            return std::nullopt;
        check->setOutsideWindows(std::make_shared<const WindowAcross::Table>(table));
        return check->functionWindows();
    };
    judgeWith(files, members,
              std::make_shared<const WindowAcross::Table>(WindowAcross::resolve(std::move(windows), recompute)));
}

} // namespace

void gather(const std::shared_ptr<ScriptCheck> &check, CheckReport::FileResult &result)
{
    result.functionWindows = check->functionWindows();
    if (!check->namesLookedUpOutside().isEmpty())
        result.windowCheck = check;
}

void judge(QVector<CheckReport::FileResult> &files)
{
    std::map<QString, std::vector<int>> worlds;
    for (int index = 0; index < files.size(); ++index) {
        if (files.at(index).failure.isEmpty())
            worlds[files.at(index).serverFolder].push_back(index);
    }
    for (const auto &[folder, members] : worlds)
        judgeTogether(files, members);
    for (CheckReport::FileResult &file : files)
        file.windowCheck.reset();
}

} // namespace WindowsAcross
