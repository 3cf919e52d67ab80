#include "check_tool/check_all.h"

#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace CheckAll {

namespace {

// A file to check, and the place among the paths given that its result takes.
struct Found
{
    QString path;
    int argument = 0;
};

struct Checked
{
    int argument = 0;
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

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::vector<Found> found_;
    size_t next_ = 0;
    bool closed_ = false;
};

CheckReport::FileResult checkOne(const QString &path, const std::shared_ptr<const Commands::Table> &commands,
                                 bool keepBytes)
{
    CheckReport::FileResult result = CheckReport::checkFile(path, commands);
    // The lines are kept only for the columns of what was found.
    if (result.diagnostics.isEmpty() && result.functionCalls.isEmpty() && result.playerVariableReads.isEmpty()) {
        result.lines.clear();
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
            CheckReport::forEachScriptUnder(path, [&](const QString &file) { queue.push({file, argument}); });
        else
            queue.push({path, argument});
    }
    queue.close();
}

QVector<CheckReport::FileResult> inOrder(std::vector<std::vector<Checked>> &byWorker)
{
    std::vector<Checked> all;
    for (std::vector<Checked> &checked : byWorker)
        std::move(checked.begin(), checked.end(), std::back_inserter(all));
    std::stable_sort(all.begin(), all.end(), [](const Checked &a, const Checked &b) {
        return a.argument != b.argument ? a.argument < b.argument : a.result.fileName < b.result.fileName;
    });
    QVector<CheckReport::FileResult> results;
    results.reserve(qsizetype(all.size()));
    for (Checked &checked : all)
        results.append(std::move(checked.result));
    return results;
}

} // namespace

QVector<CheckReport::FileResult> check(const QStringList &paths, const std::shared_ptr<const Commands::Table> &commands,
                                       bool keepBytes)
{
    Queue queue;
    const int threads = std::clamp(QThread::idealThreadCount(), 1, 16);
    std::vector<std::vector<Checked>> byWorker(static_cast<size_t>(threads));
    std::vector<std::thread> workers;
    for (int i = 0; i < threads; ++i) {
        workers.emplace_back([&, i] {
            for (Found found; queue.take(found);)
                byWorker[size_t(i)].push_back({found.argument, checkOne(found.path, commands, keepBytes)});
        });
    }
    walk(paths, queue);
    for (std::thread &worker : workers)
        worker.join();
    return inOrder(byWorker);
}

} // namespace CheckAll
