#pragma once

#include "checker/diagnostic.h"
#include "conversation/folder_functions.h"
#include "conversation/run.h"
#include "conversation/script_snapshot.h"

#include <QWidget>

#include <functional>
#include <memory>

class ConversationBox;
class QLabel;
class QListWidget;
class QPushButton;

// "会話プレビュー — <NPC name>": one NPC's conversation as a player meets it,
// beside the effects so far and the path taken. It runs on a copy of the script
// taken when the run starts, so edits never disturb it and it never changes the
// script; it only says when the script has changed since.
class ConversationWindow : public QWidget
{
    Q_OBJECT

public:
    // `script` reads the script's lines as they stand now.
    explicit ConversationWindow(Conversation::ScriptLines script, QWidget *parent = nullptr);
    ~ConversationWindow() override;

    // Runs the NPC or function holding `line` (from 0) from the start. False,
    // with the box saying so, when no body holds it.
    bool preview(int line);
    // Runs it along the path a finding at `line` was found on: from where the path
    // starts, with the choices and answers it decides, up to the finding's line or
    // the first wait the path does not decide.
    bool previewPath(int line, const QVector<Diagnostic::Decision> &path);
    // Runs again on the script as it stands now: from the start, or giving the
    // same answers as far as they still fit.
    void restart();
    void rerunWithSameAnswers();
    // The script changed since the run began.
    void noteScriptChanged();
    // Where the script's neighbours are, asked at each run: a callfunc of a function
    // the script lacks runs the one they define. And the commands scripts are read with.
    void setScriptFolder(std::function<QString()> folder) { folder_ = std::move(folder); }
    void setCommands(std::shared_ptr<const Commands::Table> commands) { commands_ = std::move(commands); }

signals:
    // An entry naming a line of the script was clicked.
    void lineChosen(int line);

private:
    void start(const Conversation::ScriptSnapshot::Target &target);
    void answer(const Conversation::Answer &answer);
    void showRun();
    void showLists();
    template <typename Entry> void showEntries(QListWidget *list, QVector<Entry> &shown, const QVector<Entry> &entries);
    std::optional<Conversation::ScriptSnapshot::Target> targetAgain();
    void showNothingAt(int line);

    Conversation::ScriptLines script_;
    std::function<QString()> folder_;
    std::shared_ptr<const Commands::Table> commands_ = Commands::Table::builtIn();
    std::unique_ptr<Conversation::ScriptSnapshot> snapshot_;
    std::unique_ptr<Conversation::FolderFunctions> neighbours_;
    std::unique_ptr<Conversation::Run> run_; // uses snapshot_ and neighbours_
    QString name_;
    QString label_;
    int line_ = 0; // where the previewed definition was

    ConversationBox *box_;
    QListWidget *effects_;
    QListWidget *path_;
    QLabel *changed_;
    QPushButton *restart_;
    QPushButton *same_;
    QLabel *withoutPlayer_;
    QVector<Conversation::Effect> shownEffects_;
    QVector<Conversation::Step> shownPath_;
    bool listsDue_ = false;
};
