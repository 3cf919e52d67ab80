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

// The lines of the checks kept now, over every file being checked.
std::atomic<qsizetype> keptLines{0};

bool isUndecodable(const Diagnostic &d)
{
    return d.rule == Rule::Undecodable || d.rule == Rule::UndecodableInText;
}

void letGo(CheckReport::FileResult &file)
{
    keptLines -= std::exchange(file.windowLinesKept, 0);
    file.windowCheck.reset();
}

// The file's check: the one kept, or one made afresh from its lines, its flow not
// yet judged, with `table` standing for the other files.
ScriptCheck &checkOf(CheckReport::FileResult &file, const std::shared_ptr<const WindowAcross::Table> &table)
{
    if (!file.windowCheck) {
        file.windowCheck =
            std::make_shared<ScriptCheck>(file.commands, ScriptCheck::Options{false, false, false, false});
        file.windowCheck->setOutsideWindows(table);
        file.windowCheck->replaceLines(0, 0, file.lines);
    }
    file.windowCheck->setOutsideWindows(table);
    return *file.windowCheck;
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

// The members that looked up a name another of them defines.
std::vector<int> callingAcross(const QVector<CheckReport::FileResult> &files, const std::vector<int> &members)
{
    std::map<QString, std::set<int>> definers;
    for (const int member : members) {
        for (auto function = files.at(member).functionWindows.cbegin();
             function != files.at(member).functionWindows.cend(); ++function)
            definers[function.key()].insert(member);
    }
    std::vector<int> calling;
    for (const int member : members) {
        for (const QString &name : files.at(member).namesOutside) {
            const auto found = definers.find(name);
            if (found != definers.cend() && (found->second.size() > 1 || !found->second.count(member))) {
                calling.push_back(member);
                break;
            }
        }
    }
    return calling;
}

// Each file that calls across, judged again with the table, side by side on every core.
void judgeWith(QVector<CheckReport::FileResult> &files, const std::vector<int> &calling,
               const std::shared_ptr<const WindowAcross::Table> &table)
{
    std::atomic<size_t> next{0};
    const auto work = [&] {
        for (size_t at = next++; at < calling.size(); at = next++) {
            CheckReport::FileResult &file = files[calling[at]];
            // A check made afresh (here or in a round of the table) gives all its
            // findings; a kept one, those of the bodies judged again. Rounds may have
            // marked bodies already: they are judged even when the final table says
            // what the last round did.
            const bool afresh = !file.windowCheck || file.windowLinesKept == 0;
            if (!checkOf(file, table).updateFlow().isEmpty() || afresh)
                refindings(file);
            letGo(file);
        }
    };
    const size_t threads = std::min(calling.size(), size_t(std::clamp(QThread::idealThreadCount(), 1, 16)));
    std::vector<std::thread> workers;
    for (size_t i = 1; i < threads; ++i)
        workers.emplace_back(work);
    work();
    for (std::thread &worker : workers)
        worker.join();
}

void judgeTogether(QVector<CheckReport::FileResult> &files, const std::vector<int> &members)
{
    const std::vector<int> calling = callingAcross(files, members);
    if (calling.empty())
        return;
    QVector<WindowAcross::FileWindows> windows;
    for (const int member : members)
        windows.append(files.at(member).functionWindows);
    const auto recompute = [&](int index, const WindowAcross::Table &table) -> std::optional<WindowAcross::FileWindows> {
        CheckReport::FileResult &file = files[members[size_t(index)]];
        if (file.namesOutside.isEmpty())
            return std::nullopt;
        return checkOf(file, std::make_shared<const WindowAcross::Table>(table)).functionWindows();
    };
    judgeWith(files, calling,
              std::make_shared<const WindowAcross::Table>(WindowAcross::resolve(std::move(windows), recompute)));
}

} // namespace

void gather(const std::shared_ptr<ScriptCheck> &check, const std::shared_ptr<const Commands::Table> &commands,
            CheckReport::FileResult &result)
{
    result.functionWindows = check->functionWindows();
    result.namesOutside = check->namesLookedUpOutside();
    if (result.namesOutside.isEmpty())
        return;
    result.commands = commands;
    const int lines = check->lineCount();
    if (keptLines.fetch_add(lines) + lines <= kKeptLines) {
        result.windowCheck = check;
        result.windowLinesKept = lines;
    } else {
        keptLines -= lines;
    }
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
        letGo(file);
}

} // namespace WindowsAcross
