#include "conversation_window/conversation_box.h"

#include "checker/rules.h"
#include "conversation/colour_codes.h"
#include "conversation_window/message_view.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

using Conversation::Answer;
using Conversation::Wait;

namespace {

QPushButton *button(const QString &text, const QString &name, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    return b;
}

} // namespace

ConversationBox::ConversationBox(QWidget *parent)
    : QFrame(parent), message_(new MessageView(this)),
      pageButton_(button(QString(), QStringLiteral("pageButton"), this)), choices_(new QListWidget(this)),
      cancel_(button(QStringLiteral("キャンセル"), QStringLiteral("cancelChoice"), this)), question_(new QLabel(this)),
      yes_(button(QStringLiteral("はい"), QStringLiteral("yesButton"), this)),
      no_(button(QStringLiteral("いいえ"), QStringLiteral("noButton"), this)), input_(new QLineEdit(this)),
      inputOk_(button(QStringLiteral("決定"), QStringLiteral("inputOk"), this)), ending_(new QLabel(this))
{
    setObjectName(QStringLiteral("conversationBox"));
    setFixedWidth(kWidth);
    // The client's box: white, a thin dark frame with round corners.
    setStyleSheet(
        QStringLiteral("#conversationBox { background: white; border: 2px solid #4a5a78; border-radius: 6px; }"
                       "#message { color: black; background: white; }"));
    choices_->setObjectName(QStringLiteral("choices"));
    choices_->setAccessibleName(QStringLiteral("選択肢"));
    question_->setObjectName(QStringLiteral("question"));
    question_->setWordWrap(true);
    input_->setObjectName(QStringLiteral("inputField"));
    input_->setAccessibleName(QStringLiteral("入力"));
    ending_->setObjectName(QStringLiteral("ending"));
    ending_->setWordWrap(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(message_);
    layout->addWidget(pageButton_, 0, Qt::AlignRight);
    layout->addWidget(choices_);
    layout->addWidget(cancel_, 0, Qt::AlignRight);
    layout->addWidget(question_);
    auto *answers = new QHBoxLayout;
    answers->addWidget(input_);
    answers->addWidget(inputOk_);
    answers->addWidget(yes_);
    answers->addWidget(no_);
    layout->addLayout(answers);
    layout->addWidget(ending_);

    connect(pageButton_, &QPushButton::clicked, this, [this] { emit answered(Answer::press()); });
    connect(choices_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { emit answered(Answer::choose(item->data(Qt::UserRole).toInt())); });
    connect(choices_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem *item) { emit answered(Answer::choose(item->data(Qt::UserRole).toInt())); });
    connect(cancel_, &QPushButton::clicked, this, [this] { emit answered(Answer::cancel()); });
    connect(yes_, &QPushButton::clicked, this, [this] { emit answered(Answer::yes()); });
    connect(no_, &QPushButton::clicked, this, [this] { emit answered(Answer::no()); });
    connect(inputOk_, &QPushButton::clicked, this, &ConversationBox::submitTyped);
    connect(input_, &QLineEdit::returnPressed, this, &ConversationBox::submitTyped);
}

// The client's box: white, a dark frame with round corners.
void ConversationBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x4a, 0x5a, 0x78), 2));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 6, 6);
}

void ConversationBox::submitTyped()
{
    emit answered(Answer::type(input_->text()));
}

void ConversationBox::showState(const Conversation::Transcript &transcript, const Wait &wait)
{
    wait_ = wait;
    const bool hasPage = !transcript.pages.isEmpty();
    message_->setPage(hasPage ? transcript.pages.last() : Conversation::Page());
    const Conversation::Button shown = hasPage ? transcript.pages.last().button : Conversation::Button::None;
    pageButton_->setText(shown == Conversation::Button::Next ? QStringLiteral("次へ") : QStringLiteral("閉じる"));
    pageButton_->setVisible(shown != Conversation::Button::None);
    pageButton_->setEnabled(wait.kind == Wait::Kind::Button);
    showWait(wait);
    showEnding(transcript);
}

void ConversationBox::showWait(const Wait &wait)
{
    const bool choosing = wait.kind == Wait::Kind::Choice;
    const bool asking = wait.kind == Wait::Kind::Question;
    const bool typing = wait.kind == Wait::Kind::Input || (asking && !wait.yesNo);
    if (choices_->count() > 0)
        choices_->clear();
    for (int i = 0; choosing && i < wait.choices.size(); ++i) {
        if (wait.choices.at(i).isEmpty())
            continue; // hidden, but keeps its number
        auto *item = new QListWidgetItem(Conversation::ColourCodes::plain(wait.choices.at(i)), choices_);
        item->setData(Qt::UserRole, i + 1);
    }
    if (choosing && choices_->count() > 0) // as tall as its choices, up to six of them
        choices_->setFixedHeight(std::min(6, choices_->count()) * choices_->sizeHintForRow(0) +
                                 2 * choices_->frameWidth() + 2);
    choices_->setVisible(choosing);
    cancel_->setVisible(choosing);
    question_->setVisible(asking || wait.kind == Wait::Kind::Input);
    question_->setText(
        asking ? wait.question
               : (wait.wantsText ? QStringLiteral("文字を入力してください") : QStringLiteral("数を入力してください")));
    yes_->setVisible(asking && wait.yesNo);
    no_->setVisible(asking && wait.yesNo);
    input_->setVisible(typing);
    inputOk_->setVisible(typing);
    if (typing) {
        input_->clear();
        input_->setFocus();
    }
}

void ConversationBox::showEnding(const Conversation::Transcript &t)
{
    using Conversation::Ending;
    QString text;
    QString colour = QStringLiteral("#333333");
    switch (t.ending) {
    case Ending::Running:
        break;
    case Ending::Closed:
        text = QStringLiteral("会話が終わりました（閉じる）");
        break;
    case Ending::Ended:
        text = t.stuck ? QStringLiteral("%1 行目: %2").arg(t.endPlace.line + 1).arg(Rules::message(Rule::PlayerStuck))
                       : QStringLiteral("会話が終わりました（%1 行目）").arg(t.endPlace.line + 1);
        if (t.stuck)
            colour = QStringLiteral("#c00000");
        break;
    case Ending::Warped:
        text = QStringLiteral("ワープしたのでウィンドウが閉じました");
        break;
    case Ending::Cancelled:
        text = QStringLiteral("キャンセルしたので会話が終わりました");
        break;
    case Ending::Stopped:
        text = t.stopMessage;
        colour = QStringLiteral("#c00000");
        break;
    }
    if (ending_->palette().color(QPalette::WindowText) != QColor(colour)) {
        QPalette palette = ending_->palette();
        palette.setColor(QPalette::WindowText, QColor(colour));
        ending_->setPalette(palette);
    }
    ending_->setText(text);
    ending_->setVisible(!text.isEmpty());
}
