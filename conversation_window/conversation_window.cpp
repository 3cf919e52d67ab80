#include "conversation_window/conversation_window.h"

#include "conversation_window/conversation_box.h"

#include "conversation/follow_path.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

using namespace Conversation;

namespace {

QListWidget *entryList(const QString &name, QWidget *parent)
{
    auto *list = new QListWidget(parent);
    list->setObjectName(name);
    list->setAccessibleName(name == u"effects" ? QStringLiteral("効果") : QStringLiteral("たどった道"));
    // One line per entry, all alike: wrapping would lay out every entry again on each step.
    list->setUniformItemSizes(true);
    return list;
}

// "12 行目: text", or the file's name for a line elsewhere; the line goes with
// the entry, for a click to find it.
void addEntry(QListWidget *list, const QString &text, const Place &place)
{
    const QString where = place.file.isEmpty() ? QStringLiteral("%1 行目").arg(place.line + 1)
                                               : QStringLiteral("%1 %2 行目").arg(place.file).arg(place.line + 1);
    auto *item = new QListWidgetItem(QStringLiteral("%1: %2").arg(where, text), list);
    item->setToolTip(item->text());
    item->setData(Qt::UserRole, place.file.isEmpty() ? place.line : -1);
}

QString stepText(const Step &step);

void addEntry(QListWidget *list, const Effect &effect)
{
    addEntry(list, effect.text, effect.place);
}

void addEntry(QListWidget *list, const Step &step)
{
    addEntry(list, stepText(step), step.place);
}

bool sameEntry(const Effect &a, const Effect &b)
{
    return a.place == b.place && a.text == b.text;
}

bool sameEntry(const Step &a, const Step &b)
{
    return a.kind == b.kind && a.place == b.place && a.text == b.text;
}

QString stepText(const Step &step)
{
    switch (step.kind) {
    case Step::Kind::Page:
        return QStringLiteral("ページ「%1」").arg(step.text);
    case Step::Kind::Choice:
        return QStringLiteral("選択「%1」").arg(step.text);
    case Step::Kind::Input:
        return QStringLiteral("入力「%1」").arg(step.text);
    case Step::Kind::Answer:
        return step.text;
    case Step::Kind::End:
        return step.text;
    }
    return step.text;
}

} // namespace

ConversationWindow::ConversationWindow(ScriptLines script, QWidget *parent)
    : QWidget(parent, Qt::Window), script_(std::move(script)), box_(new ConversationBox(this)),
      effects_(entryList(QStringLiteral("effects"), this)), path_(entryList(QStringLiteral("path"), this)),
      changed_(new QLabel(QStringLiteral("実行を始めた後にスクリプトが変わりました"), this)),
      restart_(new QPushButton(QStringLiteral("最初から"), this)),
      same_(new QPushButton(QStringLiteral("同じ選択で"), this)),
      withoutPlayer_(new QLabel(QStringLiteral("これはプレイヤーなしで動くイベントです。ウィンドウは開かず、"
                                               "メッセージはだれにも見えません。"),
                                this))
{
    setObjectName(QStringLiteral("conversationWindow"));
    setWindowTitle(QStringLiteral("会話プレビュー"));
    restart_->setObjectName(QStringLiteral("restart"));
    same_->setObjectName(QStringLiteral("sameAnswers"));
    changed_->setObjectName(QStringLiteral("scriptChanged"));
    changed_->setStyleSheet(QStringLiteral("color: #a05000;"));
    changed_->hide();
    withoutPlayer_->setObjectName(QStringLiteral("withoutPlayer"));
    withoutPlayer_->setWordWrap(true);
    withoutPlayer_->setMaximumWidth(ConversationBox::kWidth);
    withoutPlayer_->hide();

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(restart_);
    buttons->addWidget(same_);
    buttons->addStretch();
    auto *left = new QVBoxLayout;
    left->addLayout(buttons);
    left->addWidget(changed_);
    left->addWidget(withoutPlayer_);
    left->addWidget(box_);
    left->addStretch();
    auto *right = new QVBoxLayout;
    right->addWidget(new QLabel(QStringLiteral("効果"), this));
    right->addWidget(effects_);
    right->addWidget(new QLabel(QStringLiteral("たどった道"), this));
    right->addWidget(path_);
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(right, 1);
    resize(680, 420);

    connect(box_, &ConversationBox::answered, this, &ConversationWindow::answer);
    connect(restart_, &QPushButton::clicked, this, &ConversationWindow::restart);
    connect(same_, &QPushButton::clicked, this, &ConversationWindow::rerunWithSameAnswers);
    for (QListWidget *list : {effects_, path_}) {
        connect(list, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
            const int line = item->data(Qt::UserRole).toInt();
            if (line >= 0)
                emit lineChosen(line);
        });
    }
}

ConversationWindow::~ConversationWindow() = default;

bool ConversationWindow::preview(int line)
{
    run_.reset();
    snapshot_ = std::make_unique<ScriptSnapshot>(script_, commands_);
    const std::optional<ScriptSnapshot::Target> target = snapshot_->targetAt(line);
    if (!target) {
        showNothingAt(line);
        return false;
    }
    start(*target);
    return true;
}

bool ConversationWindow::previewPath(int line, const QVector<Diagnostic::Decision> &path)
{
    const bool fromStart = !path.isEmpty() && path.first().kind == Diagnostic::Decision::Kind::Start;
    if (!preview(fromStart ? path.first().line : line))
        return false;
    followPath(*run_, path, line);
    showRun();
    return true;
}

void ConversationWindow::showNothingAt(int line)
{
    name_.clear();
    setWindowTitle(QStringLiteral("会話プレビュー"));
    Transcript nothing;
    nothing.ending = Ending::Stopped;
    nothing.stopMessage = QStringLiteral("%1 行目は NPC や関数の本文の中にありません").arg(line + 1);
    box_->showState(nothing, Wait());
    effects_->clear();
    path_->clear();
    shownEffects_.clear();
    shownPath_.clear();
    changed_->hide();
    withoutPlayer_->hide();
}

void ConversationWindow::start(const ScriptSnapshot::Target &target)
{
    name_ = target.name;
    label_ = target.label;
    line_ = target.source.lineOffset;
    setWindowTitle(QStringLiteral("会話プレビュー — %1").arg(target.name));
    ScriptSnapshot *snapshot = snapshot_.get();
    neighbours_ = std::make_unique<FolderFunctions>(folder_ ? folder_() : QString(), commands_);
    FolderFunctions *neighbours = neighbours_.get();
    run_ = std::make_unique<Run>(
        target.source, target.label,
        [snapshot, neighbours](const QString &name) {
            std::optional<Source> found = snapshot->function(name);
            return found ? found : neighbours->find(name);
        },
        commands_);
    withoutPlayer_->setVisible(target.withoutPlayer);
    changed_->hide();
    showRun();
}

// The previewed definition in the script as it stands now: where it was, if it
// still has that name, else the first of that name.
std::optional<ScriptSnapshot::Target> ConversationWindow::targetAgain()
{
    run_.reset();
    snapshot_ = std::make_unique<ScriptSnapshot>(script_, commands_);
    std::optional<ScriptSnapshot::Target> target = snapshot_->targetAt(line_);
    if (!target || target->name != name_ || target->source.lineOffset != line_)
        target = snapshot_->targetNamed(name_);
    if (target)
        target->label = label_;
    return target;
}

void ConversationWindow::restart()
{
    if (name_.isEmpty())
        return;
    if (const auto target = targetAgain())
        start(*target);
    else
        showNothingAt(line_);
}

void ConversationWindow::rerunWithSameAnswers()
{
    if (!run_ || name_.isEmpty())
        return restart();
    const QVector<GivenAnswer> given = run_->given();
    const auto target = targetAgain();
    if (!target)
        return showNothingAt(line_);
    start(*target);
    replay(*run_, given);
    showRun();
}

void ConversationWindow::noteScriptChanged()
{
    if (run_)
        changed_->show();
}

void ConversationWindow::answer(const Answer &answer)
{
    if (run_ && run_->answer(answer))
        showRun();
}

// The page first; the lists follow once the page is painted, so that a click on
// 次へ shows the next page without waiting for them.
void ConversationWindow::showRun()
{
    box_->showState(run_->transcript(), run_->wait());
    if (listsDue_)
        return;
    listsDue_ = true;
    QTimer::singleShot(0, this, &ConversationWindow::showLists);
}

void ConversationWindow::showLists()
{
    listsDue_ = false;
    if (!run_)
        return;
    showEntries(effects_, shownEffects_, run_->transcript().effects);
    showEntries(path_, shownPath_, run_->transcript().path);
}

// Keeps the entries already shown that still stand, so that a step costs the
// entries it adds, not the whole list.
template <typename Entry>
void ConversationWindow::showEntries(QListWidget *list, QVector<Entry> &shown, const QVector<Entry> &entries)
{
    int same = 0;
    while (same < shown.size() && same < entries.size() && sameEntry(shown.at(same), entries.at(same)))
        ++same;
    while (list->count() > same)
        delete list->takeItem(list->count() - 1);
    for (int i = same; i < entries.size(); ++i)
        addEntry(list, entries.at(i));
    shown = entries;
    if (same < entries.size())
        list->scrollToBottom();
}
