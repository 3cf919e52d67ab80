#include "check_tool/check_all.h"

#include "check_tool/script_files.h"

#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <numeric>
#include <thread>
#include <vector>

namespace CheckAll {

namespace {

// A file to check, and the place among the paths given that its result takes.
struct Found
{
    QString path;
    int argument = 0;
    int sequence = 0; // the order the walk found it in
};

struct Checked
{
    int sequence = 0;
    CheckReport::FileResult result;
};

// The files the walk has found, handed out to the workers as they come.
class Queue
{
public:
    void push(Found found)
    {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            found.sequence = int(found_.size());
            found_.push_back(std::move(found));
        }
        ready_.notify_one();
    }

    void close()
    {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            closed_ = true;
        }
        ready_.notify_all();
    }

    // The next file, or false once the walk has ended and every file is taken.
    bool take(Found &found)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        ready_.wait(lock, [&] { return next_ < found_.size() || closed_; });
        if (next_ == found_.size())
            return false;
        found = std::move(found_[next_++]);
        return true;
    }

    // Once the workers are done: what was found, in the order found.
    const std::vector<Found> &found() const { return found_; }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::vector<Found> found_;
    size_t next_ = 0;
    bool closed_ = false;
};

// Of a file with nothing found yet, the lines that name an NPC, copied, where one
// holds a character of two code units: a name found taken by another file then
// ends at the right column. Names are almost always without one.
QStringList namingLines(const CheckReport::FileResult &result)
{
    const auto wide = [&](const LoadOrderRules::Use &npc) {
        const QString &line = result.lines.at(npc.line);
        return std::any_of(line.cbegin(), line.cend(), [](QChar c) { return c.isSurrogate(); });
    };
    if (std::none_of(result.loadUses.npcs.cbegin(), result.loadUses.npcs.cend(), wide))
        return {};
    QStringList kept(result.lines.size());
    for (const LoadOrderRules::Use &npc : result.loadUses.npcs) {
        const QString &line = result.lines.at(npc.line);
        kept[npc.line] = QString(line.constData(), line.size());
    }
    return kept;
}

CheckReport::FileResult checkOne(const QString &path, const FileSetup &setup, bool keepBytes)
{
    if (!setup.failure.isEmpty()) {
        CheckReport::FileResult refused;
        refused.fileName = path;
        refused.failure = QStringLiteral("%1: %2").arg(path, setup.failure);
        return refused;
    }
    CheckReport::FileResult result = CheckReport::checkFile(path, setup.commands, setup.encoding);
    // The lines are kept only for the columns of what was found.
    const LoadOrderRules::Uses &uses = result.loadUses;
    const bool asksAcross = !uses.callsByName.isEmpty() || !uses.duplicateSources.isEmpty() || !uses.npcCalls.isEmpty();
    // Calls across files may be judged again, over the lines the text holds.
    if (result.diagnostics.isEmpty() && result.functionCalls.isEmpty() && result.playerVariableReads.isEmpty() &&
        !asksAcross && result.namesOutside.isEmpty()) {
        result.lines = namingLines(result);
        result.text.clear();
    }
    if (!keepBytes || result.diagnostics.isEmpty())
        result.bytes.clear();
    return result;
}

void walk(const QStringList &paths, Queue &queue)
{
    for (int argument = 0; argument < paths.size(); ++argument) {
        const QString &path = paths.at(argument);
        if (QFileInfo(path).isDir())
            ScriptFiles::forEachUnder(path, [&](const QString &file) { queue.push({file, argument}); });
        else
            queue.push({path, argument});
    }
    queue.close();
}

// The results sorted by the path given and then by file name. The walk lists each
// folder sorted, so they mostly come in that order already; only their places are
// sorted otherwise, never the results themselves.
QVector<CheckReport::FileResult> inOrder(const std::vector<Found> &found, std::vector<std::vector<Checked>> &byWorker)
{
    std::vector<CheckReport::FileResult> bySequence(found.size());
    for (std::vector<Checked> &checked : byWorker) {
        for (Checked &one : checked)
            bySequence[size_t(one.sequence)] = std::move(one.result);
    }
    const auto before = [&](size_t a, size_t b) {
        return found[a].argument != found[b].argument ? found[a].argument < found[b].argument
                                                      : bySequence[a].fileName < bySequence[b].fileName;
    };
    std::vector<size_t> order(found.size());
    std::iota(order.begin(), order.end(), size_t(0));
    if (!std::is_sorted(order.begin(), order.end(), before))
        std::stable_sort(order.begin(), order.end(), before);
    QVector<CheckReport::FileResult> results;
    results.reserve(qsizetype(order.size()));
    for (const size_t sequence : order)
        results.append(std::move(bySequence[sequence]));
    return results;
}

} // namespace

QVector<CheckReport::FileResult> check(const QStringList &paths, const std::shared_ptr<const Commands::Table> &commands,
                                       bool keepBytes, const ScriptEncoding &encoding)
{
    const FileSetup setup{commands, encoding, QString()};
    return check(
        paths, [&](const QString &) { return setup; }, keepBytes);
}

QVector<CheckReport::FileResult> check(const QStringList &paths, const SetupOf &setupOf, bool keepBytes)
{
    Queue queue;
    const int threads = std::clamp(QThread::idealThreadCount(), 1, 16);
    std::vector<std::vector<Checked>> byWorker(static_cast<size_t>(threads));
    std::vector<std::thread> workers;
    for (int i = 0; i < threads; ++i) {
        workers.emplace_back([&, i] {
            for (Found found; queue.take(found);)
                byWorker[size_t(i)].push_back({found.sequence, checkOne(found.path, setupOf(found.path), keepBytes)});
        });
    }
    walk(paths, queue);
    for (std::thread &worker : workers)
        worker.join();
    return inOrder(queue.found(), byWorker);
}

} // namespace CheckAll
