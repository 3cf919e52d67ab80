#include "language_server/window_sharing.h"

#include <algorithm>
#include <numeric>

namespace Lsp {

bool WindowSharing::sameAsBefore(const QVector<Open> &open, const Workspace &workspace)
{
    QHash<QString, quint64> now;
    for (const Open &script : open)
        now.insert(script.key, script.text->check().windowsGeneration());
    const bool same = sharedOnce_ && now == seen_ && workspace.windowsGeneration() == diskSeen_;
    seen_ = std::move(now);
    diskSeen_ = workspace.windowsGeneration();
    sharedOnce_ = true;
    return same;
}

WindowSharing::Changed WindowSharing::share(const QVector<Open> &open, Workspace &workspace)
{
    if (sameAsBefore(open, workspace))
        return {};
    // The open scripts first, then the files on disk, each in the order of its key:
    // the table never depends on the order scripts were opened in.
    QVector<int> order(open.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) { return open.at(a).key < open.at(b).key; });
    QVector<WindowAcross::FileWindows> windows;
    for (const int index : std::as_const(order))
        windows.append(open.at(index).text->functionWindows());
    QStringList disk;
    for (const auto &[path, fileWindows] : workspace.windowsOnDisk()) {
        disk.append(path);
        windows.append(*fileWindows);
    }
    const auto recompute = [&](int file, const WindowAcross::Table &table) -> std::optional<WindowAcross::FileWindows> {
        if (file >= order.size())
            return workspace.windowsWith(disk.at(file - order.size()), std::make_shared<const WindowAcross::Table>(table));
        TextDocument &text = *open.at(order.at(file)).text;
        text.setOutsideWindows(std::make_shared<const WindowAcross::Table>(table));
        return text.functionWindows();
    };
    const auto table = std::make_shared<const WindowAcross::Table>(WindowAcross::resolve(std::move(windows), recompute));
    Changed changed;
    for (int index = 0; index < open.size(); ++index) {
        // The rounds may have marked bodies already: a script judged now judges them too.
        open.at(index).text->setOutsideWindows(table);
        if (open.at(index).flowPending)
            continue;
        QVector<int> lines = open.at(index).text->updateFlow();
        if (!lines.isEmpty())
            changed.append({index, std::move(lines)});
    }
    // What the rounds worked out again is what the table says: no change is left to share.
    for (const Open &script : open)
        seen_.insert(script.key, script.text->check().windowsGeneration());
    return changed;
}

} // namespace Lsp
