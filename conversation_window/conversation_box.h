#pragma once

#include "conversation/transcript.h"

#include <QFrame>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class MessageView;

// The message box as the game client draws it: a framed box about 300 pixels
// wide with the page's text, wrapped and coloured, and its button; below it the
// choices to click, a field to type in, or the question the run asks the user.
class ConversationBox : public QFrame
{
    Q_OBJECT

public:
    static constexpr int kWidth = 300;

    explicit ConversationBox(QWidget *parent = nullptr);

    // Shows the last page of `transcript` and what the run waits for.
    void showState(const Conversation::Transcript &transcript, const Conversation::Wait &wait);

signals:
    void answered(const Conversation::Answer &answer);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void showWait(const Conversation::Wait &wait);
    void showEnding(const Conversation::Transcript &transcript);
    void submitTyped();

    MessageView *message_;
    QPushButton *pageButton_;
    QListWidget *choices_;
    QPushButton *cancel_;
    QLabel *question_;
    QPushButton *yes_;
    QPushButton *no_;
    QLineEdit *input_;
    QPushButton *inputOk_;
    QLabel *ending_;
    Conversation::Wait wait_;
};
