#pragma once

#include "checker/script_check.h"
#include "language_server/protocol.h"
#include "project_file/finding_policy.h"

#include <QString>
#include <QVector>

#include <deque>
#include <memory>
#include <optional>
#include <vector>

namespace Lsp {

// The text of an open script, kept as the checker's lines and the line break that
// ends each, and changed a range at a time as the client edits it. Lines end at
// "\n", "\r\n" or "\r", as the protocol counts them; a change that brings a "\r"
// and a "\n" together makes one line break of them.
class TextDocument
{
public:
    // `findings` filters what the script's project leaves out or holds otherwise.
    TextDocument(const QString &text, std::shared_ptr<const Commands::Table> commands, FindingPolicy findings = {});

    // What a change did, in the line numbers after it: `added` lines in place of
    // `removed` from `first`, and other lines whose findings changed with them.
    struct Edit
    {
        int first = 0;
        int removed = 0;
        int added = 0;
        QVector<int> alsoChanged;
    };
    // Puts `text` in place of the range; positions past a line's end or the
    // document's end count as those ends, and a range given end first is turned round.
    Edit replace(Position start, Position end, const QString &text);
    Edit replaceAll(const QString &text);

    int lineCount() const { return check_.lineCount(); }
    qsizetype characterCount() const { return characters_; } // line breaks included
    // How many lines `text` makes, its last included.
    static int lineCountOf(QStringView text);
    const ScriptCheck &check() const { return check_; }
    // The findings of a line as the project would have them shown.
    Diagnostics diagnostics(int line) const;
    const FindingPolicy &findingPolicy() const { return findings_; }
    void setFindingPolicy(FindingPolicy findings) { findings_ = std::move(findings); }
    // The table the script is checked with, and the server folder it may hold.
    const Commands::Table &commands() const { return *commands_; }
    // Judges the flow of the bodies edits changed; the lines whose diagnostics changed.
    QVector<int> updateFlow() { return check_.updateFlow(); }
    // What other scripts' functions do to the window, and what this one's do (WindowAcross).
    bool setOutsideWindows(std::shared_ptr<const WindowAcross::Table> table)
    {
        return check_.setOutsideWindows(std::move(table));
    }
    WindowAcross::FileWindows functionWindows() { return check_.functionWindows(); }
    const QString &line(int number) const { return check_.text(number); }
    QString text() const;
    Position clamped(Position position) const;
    // How many characters lie between two positions, line breaks included.
    qsizetype charactersBetween(Position start, Position end) const;
    // How many edits the text has had, and those after the first `count`, for views
    // that follow it line by line; nothing when they are no longer kept.
    quint64 editCount() const { return editCount_; }
    std::optional<std::vector<Edit>> editsSince(quint64 count) const;
    // Which document of the process this is: counts of edits are only comparable
    // within one, and a script closed and opened again is another.
    quint64 id() const { return id_; }

private:
    enum class Break : quint8
    {
        None, // the last line
        Lf,
        CrLf,
        Cr,
    };
    static QString breakText(Break lineBreak);
    Edit replaceLines(int first, int last, const QString &text);

    std::shared_ptr<const Commands::Table> commands_;
    ScriptCheck check_;
    FindingPolicy findings_;
    std::vector<Break> breaks_; // one per line
    qsizetype characters_ = 0;
    static constexpr size_t kKeptEdits = 32;
    std::deque<Edit> recentEdits_; // the last kKeptEdits
    quint64 editCount_ = 0;
    quint64 id_;
};

} // namespace Lsp
