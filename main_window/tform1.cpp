#include "main_window/tform1.h"

#include "about_box/taboutbox.h"
#include "checker/commands.h"
#include "common/event_guard.h"
#include "common/failure.h"
#include "common/window_fonts.h"
#include "conversation_window/conversation_window.h"
#include "main_window/diagnostic_tooltip.h"
#include "main_window/discard_question.h"
#include "main_window/drop_down_typing.h"
#include "main_window/folder_windows.h"
#include "main_window/help_file.h"
#include "main_window/label_hint.h"
#include "main_window/line_model.h"
#include "main_window/npc_picture_page.h"
#include "main_window/script_chooser.h"
#include "main_window/script_file.h"
#include "main_window/script_highlighter.h"
#include "main_window/script_lines.h"
#include "main_window/tab_row.h"
#include "main_window/value_history.h"
#include "checker/server_folders.h"
#include "project_file/finding_policy.h"
#include "project_file/project_table.h"
#include "ui_tform1.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <limits>

namespace {

// The commands the editor's check knows: the built-in table, and a server's own
// commands from "commands.tsv" in the working folder when one stands there. A table
// that cannot be read leaves the built-in one, as a missing file does.
std::shared_ptr<const Commands::Table> editorCommands()
{
    const QString path = QStringLiteral("commands.tsv");
    if (!QFileInfo::exists(path))
        return Commands::Table::builtIn();
    try {
        return Commands::withFile(path);
    } catch (const Failure &failure) {
        qWarning("%s", qUtf8Printable(failure.message()));
        return Commands::Table::builtIn();
    }
}

// What scripts in `folder` are checked with and how their findings are shown.
struct EditorProject
{
    std::shared_ptr<const Commands::Table> commands;
    FindingPolicy findings;
};

// What the nearest project file (talewick-check.ini) says, over `base`. What the
// file does not understand goes to the log: the editor checks on without it. The
// editor reads no script but its own, so the file's encoding has nothing to apply
// to: scripts open and save in code page 932, as the game's servers read them.
EditorProject projectOf(const QString &folder, const std::shared_ptr<const Commands::Table> &base,
                        ServerFolders &servers)
{
    const ProjectFile::Settings file = ProjectFile::nearest(folder);
    QList<ProjectFile::Warning> warnings = file.warnings;
    ProjectTable::Given given;
    given.fallback = base;
    std::shared_ptr<const Commands::Table> table = ProjectTable::make(given, file, warnings);
    for (const ProjectFile::Warning &warning : std::as_const(warnings))
        qWarning("%s", qUtf8Printable(ProjectFile::text(warning)));
    // The server's folder is read once, the first time a project file names it.
    if (!file.serverFolder.isEmpty())
        table = servers.tableFor(file.serverFolder, table);
    for (const QString &problem : servers.takeNewProblems())
        qWarning("%s", qUtf8Printable(problem));
    return {table, FindingPolicy::of(file)};
}

// Set on a tab page once its captions are fitted.
constexpr const char *kCaptionsFitted = "talewickCaptionsFitted";

// The layout's client area below the menu bar; the controls keep their margins in it.
constexpr int kClientWidth = 711;
constexpr int kClientHeight = 433;
constexpr QPoint kWindowPlace(241, 159);

bool isLeftClickInside(QWidget *widget, QEvent *event)
{
    if (event->type() != QEvent::MouseButtonRelease)
        return false;
    const auto *mouse = static_cast<QMouseEvent *>(event);
    return mouse->button() == Qt::LeftButton && widget->rect().contains(mouse->position().toPoint());
}

Ui::TForm1 *laidOut(QMainWindow *window)
{
    // Set before the controls exist, so that they are created in it instead of
    // all being re-laid out when it changes.
    window->setFont(japaneseUiFont(12));
    auto *ui = new Ui::TForm1;
    ui->setupUi(window);
    return ui;
}

} // namespace

TForm1::TForm1(QWidget *parent)
    : QMainWindow(parent), commandsRead_(std::async(std::launch::async, &editorCommands)), ui(laidOut(this)),
      buffer_(ui->Memo1), baseCommands_(commandsRead_.get()), commands_(baseCommands_),
      highlighter_(new ScriptHighlighter(ui->Memo1, commands_))
{
    setObjectName(QStringLiteral("Form1"));
    applyFonts();
    setUpDropDowns();
    useShortHint(ui->Label6);
    showDiagnosticsOnHover(ui->Memo1, highlighter_);
    addPreview();
    connectHandlers();
    folderWindows_ = std::make_unique<FolderWindows>();
    connect(folderWindows_.get(), &FolderWindows::tableChanged, this,
            [this] { highlighter_->setOutsideWindows(folderWindows_->table()); });
    followProjectFile();

    move(kWindowPlace);
    const int menuHeight = menuBar()->heightForWidth(kClientWidth);
    resize(kClientWidth, kClientHeight + (menuHeight > 0 ? menuHeight : menuBar()->sizeHint().height()));
    ui->Memo1->setFocus();

    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::applyFonts()
{
    ui->Memo1->setFont(japaneseUiFont(16));
    // Tab stops of four characters, as code editors show these scripts: Qt's 80 pixels
    // push nested code off the editor's right edge.
    ui->Memo1->setTabStopDistance(4 * QFontMetricsF(ui->Memo1->font()).horizontalAdvance(u' '));
    ui->Memo2->setFont(japaneseUiFont(11));
    // The labels of the NPC and warp groups, and the whole Set group, use 13 pixels.
    for (QWidget *larger :
         std::initializer_list<QWidget *>{ui->Label1, ui->Label2, ui->Label3, ui->Label4, ui->Label5, ui->Label6,
                                          ui->Label7, ui->Label8, ui->Label9, ui->GroupBox13})
        larger->setFont(japaneseUiFont(13));
    fitTabsInOneRow(ui->PageControl1);
    fitCaptionsOfShownPages();
}

// Labels size themselves to their text, within the width the layout gives them,
// so that no caption runs under the control beside it. A tab page's captions are
// fitted when the page is first shown: measuring them loads faces the first
// window does not draw.
void TForm1::fitCaptionsOfShownPages()
{
    QTabWidget *pages = ui->PageControl1;
    const auto fitIn = [pages](QWidget *area, bool skipPages) {
        for (QLabel *label : area->findChildren<QLabel *>()) {
            if (skipPages && pages->isAncestorOf(label))
                continue;
            label->setFont(condensedToFit(label->font(), label->text(), label->width()));
            label->adjustSize();
        }
    };
    fitIn(ui->centralwidget, true);
    const auto fitPage = [pages, fitIn](int index) {
        QWidget *page = pages->widget(index);
        if (page && !page->property(kCaptionsFitted).toBool()) {
            page->setProperty(kCaptionsFitted, true);
            fitIn(page, false);
        }
    };
    fitPage(pages->currentIndex());
    connect(pages, &QTabWidget::currentChanged, this, fitPage);
}

void TForm1::setUpDropDowns()
{
    for (QComboBox *box : ui->centralwidget->findChildren<QComboBox *>()) {
        if (box->isEditable())
            enableInlineCompletion(box);
        else
            enableTypeToSelect(box);
    }
    // Fields take text of any length: a line edit would otherwise cut a paste at
    // 32,767 characters without a word. The boxes' own line edits are among them.
    for (QLineEdit *field : ui->centralwidget->findChildren<QLineEdit *>())
        field->setMaxLength(std::numeric_limits<int>::max());
}

void TForm1::runHandler(Handler handler)
{
    runGuarded([this, handler] { (this->*handler)(); });
}

void TForm1::onClick(QAbstractButton *button, Handler handler)
{
    connect(button, &QAbstractButton::clicked, this, [this, handler] { runHandler(handler); });
}

void TForm1::onTrigger(QAction *action, Handler handler)
{
    connect(action, &QAction::triggered, this, [this, handler] { runHandler(handler); });
}

void TForm1::connectHandlers()
{
    onClick(ui->Button1, &TForm1::Button1Click);
    onClick(ui->Button20, &TForm1::Button20Click);
    onClick(ui->Button21, &TForm1::Button21Click);
    onClick(ui->Button2, &TForm1::Button2Click);
    onClick(ui->Button19, &TForm1::Button19Click);
    onClick(ui->Button3, &TForm1::Button3Click);
    onClick(ui->Button4, &TForm1::Button4Click);
    onClick(ui->Button6, &TForm1::Button6Click);
    onClick(ui->Button7, &TForm1::Button7Click);
    onClick(ui->Button8, &TForm1::Button8Click);
    onClick(ui->Button9, &TForm1::Button9Click);
    onClick(ui->Button10, &TForm1::Button10Click);
    onClick(ui->Button5, &TForm1::Button5Click);
    onClick(ui->Button15, &TForm1::Button15Click);
    onClick(ui->Button16, &TForm1::Button16Click);
    onClick(ui->Button11, &TForm1::Button11Click);
    onClick(ui->Button12, &TForm1::Button12Click);
    onClick(ui->Button13, &TForm1::Button13Click);
    onClick(ui->Button14, &TForm1::Button14Click);
    onClick(ui->Button17, &TForm1::Button17Click);
    onClick(ui->Button18, &TForm1::Button18Click);
    onClick(ui->Button22, &TForm1::Button22Click);

    onTrigger(ui->N1, &TForm1::N1Click);
    onTrigger(ui->Open1, &TForm1::Open1Click);
    onTrigger(ui->Save1, &TForm1::Save1Click);
    onTrigger(ui->SaveAs1, &TForm1::SaveAs1Click);
    onTrigger(ui->Exit1, &TForm1::Exit1Click);
    onTrigger(ui->About1, &TForm1::About1Click);
    onTrigger(Preview1, &TForm1::Preview1Click);
    // Opened once the drop is over: the question must not run inside the drag.
    connect(
        ui->Memo1, &ScriptEditor::scriptFileDropped, this,
        [this](const QString &path) { runGuarded([this, path] { Memo1DragDrop(path); }); }, Qt::QueuedConnection);

    helpGroups_ = {{ui->GroupBox1, &TForm1::GroupBox1MouseMove},  {ui->GroupBox2, &TForm1::GroupBox2MouseMove},
                   {ui->GroupBox3, &TForm1::GroupBox3MouseMove},  {ui->GroupBox4, &TForm1::GroupBox4MouseMove},
                   {ui->GroupBox5, &TForm1::GroupBox5MouseMove},  {ui->GroupBox8, &TForm1::GroupBox8MouseMove},
                   {ui->GroupBox12, &TForm1::GroupBox12MouseMove}};
    for (const auto &[group, handler] : helpGroups_) {
        group->setMouseTracking(true);
        group->installEventFilter(this);
    }
    ui->Label6->installEventFilter(this);
    ui->Edit6->installEventFilter(this);
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    Handler handler = nullptr;
    if (event->type() == QEvent::MouseMove) {
        for (const auto &[group, groupHandler] : helpGroups_) {
            if (watched == group)
                handler = groupHandler;
        }
    } else if (watched == ui->Label6) {
        if (event->type() == QEvent::Enter)
            handler = &TForm1::Label6MouseEnter;
        else if (isLeftClickInside(ui->Label6, event))
            handler = &TForm1::Label6Click;
    } else if (watched == ui->Edit6 && isLeftClickInside(ui->Edit6, event)) {
        handler = &TForm1::Edit6Click;
    }
    if (handler)
        runHandler(handler);
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::FormCreate()
{
    buffer_.Clear();
    ui->Memo2->clear();
    ui->Memo2->setPlainText(QStringLiteral("ヘルプ表示予定(永遠未完成(ﾏﾃ"));
    LineModel::appendLine(*ui->Memo2->document(), QStringLiteral("ただ今一部簡易表示中"));
    // Appended as the script buffer appends, which the user's undo never takes back.
    ui->Memo2->document()->clearUndoRedoStacks();
}

void TForm1::Button1Click()
{
    buffer_.AppendLine(ScriptLines::npcHeader(ui->ComboBox8->currentText(), ui->Edit1->text(), ui->Edit2->text(),
                                              ui->ComboBox1->currentIndex(), ui->Edit4->text(), ui->Edit3->text()));
    RememberEntry(ui->ComboBox8);
}

void TForm1::Button20Click()
{
    buffer_.AppendLine(ScriptLines::shopHeader(ui->ComboBox8->currentText(), ui->Edit1->text(), ui->Edit2->text(),
                                               ui->ComboBox1->currentIndex(), ui->Edit4->text(), ui->Edit3->text(),
                                               ui->ComboBox10->currentText(), ui->Edit10->text()));
    RememberEntry(ui->ComboBox10);
}

void TForm1::Button21Click()
{
    buffer_.ReplaceLastLine(
        ScriptLines::withShopItem(buffer_.LastLine(), ui->ComboBox10->currentText(), ui->Edit10->text()));
    RememberEntry(ui->ComboBox10);
}

void TForm1::Button2Click()
{
    buffer_.AppendLine(ScriptLines::message(ui->Edit5->text()));
}

void TForm1::Button19Click()
{
    buffer_.AppendLine(ScriptLines::nameMessage(ui->Edit4->text()));
}

void TForm1::Button3Click()
{
    buffer_.AppendLine(ScriptLines::next());
}

void TForm1::Button4Click()
{
    buffer_.AppendLine(ScriptLines::close());
}

void TForm1::Button6Click()
{
    buffer_.AppendLine(ScriptLines::scriptEnd());
}

void TForm1::Button7Click()
{
    buffer_.AppendLine(ScriptLines::menu(ui->Edit9->text(), ui->ComboBox2->currentText()));
    RememberEntry(ui->ComboBox2);
}

void TForm1::Button8Click()
{
    buffer_.ReplaceLastLine(
        ScriptLines::withMenuChoice(buffer_.LastLine(), ui->Edit9->text(), ui->ComboBox2->currentText()));
    RememberEntry(ui->ComboBox2);
}

void TForm1::Button9Click()
{
    buffer_.ReplaceLastLine(ScriptLines::withMenuEnd(buffer_.LastLine()));
}

void TForm1::Button10Click()
{
    buffer_.AppendLine(ScriptLines::label(ui->ComboBox2->currentText()));
    RememberEntry(ui->ComboBox2);
}

void TForm1::Button5Click()
{
    buffer_.AppendLine(ScriptLines::warp(ui->ComboBox6->currentText(), ui->Edit7->text(), ui->Edit8->text()));
    RememberEntry(ui->ComboBox6);
}

void TForm1::Button15Click()
{
    buffer_.AppendLine(ScriptLines::savePoint(ui->ComboBox5->currentText(), ui->Edit11->text(), ui->Edit12->text()));
    RememberEntry(ui->ComboBox5);
}

void TForm1::Button16Click()
{
    buffer_.AppendLine(ScriptLines::heal(ui->Edit13->text(), ui->Edit14->text()));
}

void TForm1::Button11Click()
{
    buffer_.AppendLine(ScriptLines::emote(ui->emo_sel->currentIndex()));
}

void TForm1::Button12Click()
{
    buffer_.AppendLine(ScriptLines::optionRemove(ui->ComboBox3->currentIndex()));
}

void TForm1::Button13Click()
{
    buffer_.AppendLine(ScriptLines::optionAdd(ui->ComboBox3->currentIndex()));
}

void TForm1::Button14Click()
{
    buffer_.AppendLine(ScriptLines::jobChange(ui->ComboBox4->currentIndex()));
}

QString TForm1::settleItemCount()
{
    // The count the line uses is shown in the field and stays there for later presses.
    const QString count = ScriptLines::itemCount(ui->Edit6->text());
    if (count != ui->Edit6->text())
        ui->Edit6->setText(count);
    return count;
}

void TForm1::Button17Click()
{
    const QString count = settleItemCount();
    buffer_.AppendLine(ScriptLines::removeItem(ui->ComboBox7->currentText(), count));
    RememberEntry(ui->ComboBox7);
}

void TForm1::Button18Click()
{
    const QString count = settleItemCount();
    buffer_.AppendLine(ScriptLines::addItem(ui->ComboBox7->currentText(), count));
    RememberEntry(ui->ComboBox7);
}

void TForm1::Button22Click()
{
    buffer_.AppendLine(
        ScriptLines::set(ui->ComboBox9->currentText(), ui->ComboBox11->currentText(), ui->Edit15->text()));
}

void TForm1::Edit6Click()
{
    ui->Edit6->clear();
}

void TForm1::N1Click()
{
    buffer_.Clear();
    chosenName_.clear();
}

void TForm1::Open1Click()
{
    const QString path = ScriptChooser::toOpen(this, scriptFolder());
    if (!path.isEmpty())
        openScript(path);
}

void TForm1::Memo1DragDrop(const QString &path)
{
    openScript(path);
}

void TForm1::openScript(const QString &path)
{
    // Read first: a file that cannot be opened changes nothing and asks nothing.
    const QString text = ScriptFile::open(path);
    if (buffer_.HoldsUnsavedChanges() && !userAgreesToDiscardScript(this))
        return;
    buffer_.Replace(text);
    const QFileInfo opened(path);
    chosenFolder_ = opened.absolutePath();
    chosenName_ = opened.fileName();
    followProjectFile();
}

void TForm1::Save1Click()
{
    ScriptFile::save(ScriptFile::fileName(clock_()), ScriptFile::fileText(*ui->Memo1->document()));
    buffer_.MarkSaved();
}

void TForm1::SaveAs1Click()
{
    const QString folder = scriptFolder();
    const QString path =
        ScriptChooser::toSaveAs(this, chosenName_.isEmpty() ? folder : QDir(folder).filePath(chosenName_));
    if (path.isEmpty())
        return;
    ScriptFile::save(path, ScriptFile::fileText(*ui->Memo1->document()));
    buffer_.MarkSaved();
    const QFileInfo saved(path);
    chosenFolder_ = saved.absolutePath();
    chosenName_ = saved.fileName();
    followProjectFile();
}

QString TForm1::scriptFolder() const
{
    if (!chosenFolder_.isEmpty())
        return chosenFolder_;
    const QDir working = QDir::current();
    return working.exists(QStringLiteral("npc")) ? working.absoluteFilePath(QStringLiteral("npc"))
                                                 : working.absolutePath();
}

// The script's folder changed: its project file may name other servers.
void TForm1::followProjectFile()
{
    const QString folder = scriptFolder();
    folderWindows_->setFolder(folder, chosenName_.isEmpty() ? QString() : QDir(folder).filePath(chosenName_));
    if (folder == projectFolder_)
        return;
    projectFolder_ = folder;
    if (!serverFolders_)
        serverFolders_ = std::make_unique<ServerFolders>(baseCommands_ != Commands::Table::builtIn());
    EditorProject project = projectOf(folder, baseCommands_, *serverFolders_);
    highlighter_->setProject(project.commands, std::move(project.findings));
    if (project.commands == commands_)
        return;
    commands_ = std::move(project.commands);
    if (conversationWindow_)
        conversationWindow_->setCommands(commands_);
}

void TForm1::Exit1Click()
{
    close();
}

void TForm1::loadHelp(const QString &fileName)
{
    const QString text = HelpFile::read(HelpFile::path(fileName));
    QPlainTextEdit *panel = ui->Memo2;
    // The same text leaves caret, selection and scroll position where they are.
    if (text != panel->toPlainText()) {
        panel->setUpdatesEnabled(false);
        panel->setPlainText(text);
        panel->setUpdatesEnabled(true);
    }
    panel->viewport()->update();
}

void TForm1::GroupBox1MouseMove()
{
    loadHelp(QStringLiteral("npc_info.txt"));
}

void TForm1::GroupBox2MouseMove()
{
    loadHelp(QStringLiteral("npc_name.txt"));
}

void TForm1::GroupBox3MouseMove()
{
    loadHelp(QStringLiteral("npc_button.txt"));
}

void TForm1::GroupBox4MouseMove()
{
    loadHelp(QStringLiteral("npc_warp.txt"));
}

void TForm1::GroupBox5MouseMove()
{
    loadHelp(QStringLiteral("npc_menu.txt"));
}

void TForm1::GroupBox8MouseMove()
{
    loadHelp(QStringLiteral("npc_save.txt"));
}

void TForm1::GroupBox12MouseMove()
{
    loadHelp(QStringLiteral("npc_shop.txt"));
}

void TForm1::Label6MouseEnter()
{
    const QString notice = QStringLiteral("クリックするとNPC一覧表示");
    if (ui->Memo2->toPlainText() != notice)
        ui->Memo2->setPlainText(notice);
}

void TForm1::Label6Click()
{
    // Whatever the desktop or the browser makes of it, the program relies on no result.
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(kNpcPictureListAddress)));
}

void TForm1::About1Click()
{
    if (AboutBox)
        AboutBox->showFromMenu();
}

// F5 previews the conversation of the NPC at the cursor, and the editor's own
// menu does for the line clicked. The design's menus stay as they are.
void TForm1::addPreview()
{
    Preview1 = new QAction(QStringLiteral("この NPC の会話をプレビュー"), this);
    Preview1->setObjectName(QStringLiteral("Preview1"));
    Preview1->setShortcut(Qt::Key_F5);
    addAction(Preview1);
    ui->Memo1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ui->Memo1, &QWidget::customContextMenuRequested, this, &TForm1::showEditorMenu);
    connect(ui->Memo1->document(), &QTextDocument::contentsChanged, this, [this] {
        const int revision = ui->Memo1->document()->revision();
        if (conversationWindow_ && revision != previewedRevision_) {
            previewedRevision_ = revision;
            conversationWindow_->noteScriptChanged();
        }
    });
}

void TForm1::showEditorMenu(const QPoint &at)
{
    std::unique_ptr<QMenu> menu(ui->Memo1->createStandardContextMenu(at));
    menu->setObjectName(QStringLiteral("editorMenu"));
    menu->addSeparator();
    const int line = ui->Memo1->cursorForPosition(at).blockNumber();
    QAction *preview = menu->addAction(Preview1->text());
    preview->setObjectName(QStringLiteral("previewHere"));
    connect(preview, &QAction::triggered, this, [this, line] { runGuarded([this, line] { previewAt(line); }); });
    menu->exec(ui->Memo1->viewport()->mapToGlobal(at));
}

void TForm1::Preview1Click()
{
    previewAt(ui->Memo1->textCursor().blockNumber());
}

void TForm1::previewScript(const QString &path, int line)
{
    // A script that cannot be read is reported, and nothing is previewed. The run
    // starts after the highlighter's queued repaint of the opened text, which bumps
    // the document's revision and would be taken for an edit made after it.
    if (!runGuarded([&] { openScript(path); }))
        return;
    QTimer::singleShot(0, this, [this, line] {
        runGuarded([this, line] {
            moveCursorToLine(line);
            previewAt(line);
        });
    });
}

void TForm1::previewAt(int line)
{
    // The flow's pending repaint bumps the document's revision: done before the
    // run starts, it is not taken for an edit of the script made after.
    highlighter_->judgeFlowNow();
    if (!conversationWindow_) {
        // Lines are read one by one as the preview needs them: nothing copies the whole script.
        const QTextDocument *document = ui->Memo1->document();
        const Conversation::ScriptLines script{
            [document] { return document->blockCount(); },
            [document](int line) { return document->findBlockByNumber(line).text(); }};
        conversationWindow_ = new ConversationWindow(script, this);
        conversationWindow_->setScriptFolder([this] { return scriptFolder(); });
        conversationWindow_->setCommands(commands_);
        connect(conversationWindow_, &ConversationWindow::lineChosen, this, &TForm1::moveCursorToLine);
        // Beside the main window, or as far right as the screen allows.
        const QRect screen = this->screen()->availableGeometry();
        QPoint place = frameGeometry().topRight() + QPoint(8, 0);
        place.setX(std::max(screen.left(), std::min(place.x(), screen.right() - conversationWindow_->width())));
        conversationWindow_->move(place);
    }
    previewedRevision_ = ui->Memo1->document()->revision();
    // On a line with a flow finding, the preview takes the path it was found on.
    const Diagnostics found = highlighter_->diagnostics(line);
    const auto withPath =
        std::find_if(found.cbegin(), found.cend(), [](const Diagnostic &d) { return !d.path.isEmpty(); });
    if (withPath != found.cend())
        conversationWindow_->previewPath(line, withPath->path);
    else
        conversationWindow_->preview(line);
    conversationWindow_->show();
    conversationWindow_->raise();
}

// Moves the editor's cursor only: its text and undo history stay as they are.
void TForm1::moveCursorToLine(int line)
{
    const QTextBlock block = ui->Memo1->document()->findBlockByNumber(line);
    if (!block.isValid())
        return;
    ui->Memo1->setTextCursor(QTextCursor(block));
    ui->Memo1->ensureCursorVisible();
}
