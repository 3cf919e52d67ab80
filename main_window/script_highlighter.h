#pragma once

#include "checker/load_lines.h"
#include "checker/script_check.h"
#include "checker/moving_findings.h"
#include "project_file/finding_policy.h"

#include <QSyntaxHighlighter>
#include <QTextCharFormat>
#include <QTimer>

#include <memory>

class QPlainTextEdit;
class QTextDocument;

// Colours the script editor's command words, strings, labels, numbers, variables,
// braces and comments as the checker reads them, and puts a wavy line under every
// mistake it finds. The check follows
// each edit of the document: an edit reads only its own lines again, and lines
// elsewhere are repainted only when their diagnostics changed. The conversation's
// flow, which costs a whole body, is judged once typing pauses, and so is what the
// load order decides for the script read alone (a file of unknown place among the
// ones a server loads), over what its lines define and ask.
class ScriptHighlighter : public QSyntaxHighlighter
{
    Q_OBJECT

public:
    // `commands` is the table of commands the check knows.
    ScriptHighlighter(QPlainTextEdit *editor, std::shared_ptr<const Commands::Table> commands);

    // The diagnostics of a line of the editor, numbered from 0, as the script's
    // project would have them shown.
    Diagnostics diagnostics(int line) const;
    Diagnostics allDiagnostics() const;

    // Checks the whole script again with `commands` (another target, say).
    void setCommands(std::shared_ptr<const Commands::Table> commands);
    // The table and the findings policy of the script's project: the script is
    // checked again only when the table is another, and repainted when either is.
    void setProject(std::shared_ptr<const Commands::Table> commands, FindingPolicy findings);

    // How long typing must pause before the flow of the edited bodies is judged.
    static constexpr int kFlowPauseMs = 250;
    // Judges the flow of the edited bodies now, without waiting for the pause.
    void judgeFlowNow();
    // What the functions of other scripts do to the conversation window: the calls
    // of them are judged with it once typing pauses.
    void setOutsideWindows(std::shared_ptr<const WindowAcross::Table> table);

protected:
    void highlightBlock(const QString &text) override;

private:
    void takeChange(int position, int removed, int added);
    void repaintOtherLines();
    void readWholeDocument(const QTextDocument &document);
    QVector<int> judgeLoadOrder();
    QStringList linesOf(int first, int count) const;

    std::shared_ptr<const Commands::Table> commands_;
    std::unique_ptr<ScriptCheck> check_; // made again when the commands change
    std::shared_ptr<const WindowAcross::Table> outside_; // what other scripts' functions do
    FindingPolicy findings_;             // what the project leaves out or holds otherwise
    QTimer flowPause_;
    LoadLines loadLines_;                // what each line defines and asks of other files
    MovingFindings loadFound_;           // what the load order decides, as of the last pause
    int knownLines_ = 0;
    QVector<int> toRepaint_;
    bool repaintAll_ = false;
    QTextCharFormat colourFormats_[int(Colour::Kind::Variable) + 1]; // one per kind of piece
    QTextCharFormat errorFormat_;
    QTextCharFormat warningFormat_;
};
