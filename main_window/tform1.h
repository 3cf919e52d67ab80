#pragma once

#include "checker/commands.h"
#include "main_window/script_buffer.h"

class ServerFolders;

#include <QDateTime>
#include <QMainWindow>

#include <functional>
#include <future>
#include <utility>
#include <vector>

#include <memory>

namespace Ui {
class TForm1;
}
class QAbstractButton;
class ScriptHighlighter;
class FolderWindows;
class QAction;
class ConversationWindow;

// The main window: the fields and buttons that write script lines, the script
// editor, the help panel and the menus. Every handler runs inside the event guard.
class TForm1 : public QMainWindow
{
    Q_OBJECT

public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    ScriptBuffer &scriptBuffer() { return buffer_; }
    // The editor's colouring, and through it what the checker finds in the script as it stands.
    const ScriptHighlighter &highlighter() const { return *highlighter_; }
    ScriptHighlighter &highlighter() { return *highlighter_; }

    // The local clock that names saved scripts; replaceable so saves can be dated at will.
    void setClock(std::function<QDateTime()> clock) { clock_ = std::move(clock); }

    // The handlers, connected by member pointer; each runs inside the event guard.
    void FormCreate();

    void Button1Click();
    void Button20Click();
    void Button21Click();

    void Button2Click();
    void Button19Click();
    void Button3Click();
    void Button4Click();
    void Button6Click();
    void Button7Click();
    void Button8Click();
    void Button9Click();
    void Button10Click();

    void Button5Click();
    void Button15Click();
    void Button16Click();
    void Button11Click();
    void Button12Click();
    void Button13Click();
    void Button14Click();
    void Button17Click();
    void Button18Click();
    void Button22Click();
    void Edit6Click();

    void N1Click();
    void Open1Click();
    void Save1Click();
    void SaveAs1Click();
    void Exit1Click();
    void Memo1DragDrop(const QString &path);

    void GroupBox1MouseMove();
    void GroupBox2MouseMove();
    void GroupBox3MouseMove();
    void GroupBox4MouseMove();
    void GroupBox5MouseMove();
    void GroupBox8MouseMove();
    void GroupBox12MouseMove();
    void Label6MouseEnter();
    void Label6Click();

    void About1Click();
    void Preview1Click();
    // Opens the script at `path` and previews its conversation at `line` (from 0).
    void previewScript(const QString &path, int line);

    // The conversation preview, once F5 or the editor's menu has opened it.
    ConversationWindow *conversationWindow() const { return conversationWindow_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applyFonts();
    void fitCaptionsOfShownPages();
    void setUpDropDowns();
    void connectHandlers();
    using Handler = void (TForm1::*)();
    void runHandler(Handler handler);
    void onClick(QAbstractButton *button, Handler handler);
    void onTrigger(QAction *action, Handler handler);
    QString settleItemCount();
    void loadHelp(const QString &fileName);
    void openScript(const QString &path);
    QString scriptFolder() const;
    void followProjectFile();
    void addPreview();
    void showEditorMenu(const QPoint &at);
    void previewAt(int line);
    void moveCursorToLine(int line);

    // The command table, read on another thread while the controls are made.
    std::future<std::shared_ptr<const Commands::Table>> commandsRead_;
    std::unique_ptr<Ui::TForm1> ui;
    ScriptBuffer buffer_;
    std::shared_ptr<const Commands::Table> baseCommands_; // the built-in table, or the working folder's commands.tsv
    std::shared_ptr<const Commands::Table> commands_;     // what the editor's check and the preview read with
    QString projectFolder_;                               // the script folder whose project file commands_ follows
    std::unique_ptr<ServerFolders> serverFolders_;        // the servers' folders project files named, read once
    ScriptHighlighter *highlighter_;                      // owned by the editor
    // What the functions of the script folder's other scripts do to the conversation window.
    std::unique_ptr<FolderWindows> folderWindows_;
    std::function<QDateTime()> clock_ = &QDateTime::currentDateTime;
    // The seven groups whose help file follows the pointer, with their handlers.
    std::vector<std::pair<QWidget *, Handler>> helpGroups_;
    // Where the choosers start in this run: the folder of the script last opened or
    // saved under a chosen name, and that script's name until "新規" empties the editor.
    QString chosenFolder_;
    QString chosenName_;
    QAction *Preview1 = nullptr;
    ConversationWindow *conversationWindow_ = nullptr; // owned by the window
    int previewedRevision_ = -1;                       // the editor's revision the preview last heard of
};
