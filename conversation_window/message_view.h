#pragma once

#include "conversation/transcript.h"

#include <QTextLayout>
#include <QWidget>

#include <memory>
#include <vector>

// The text of one page as the game client draws it: each message on lines of its
// own, wrapped to the box's width, each piece in its colour. Laid out once when
// the page changes; painting only draws.
class MessageView : public QWidget
{
    Q_OBJECT

public:
    explicit MessageView(QWidget *parent = nullptr);

    void setPage(const Conversation::Page &page);
    const Conversation::Page &page() const { return page_; }
    // The page's text without colours, one message a line, as assistive tools read it.
    const QString &plainText() const { return plain_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void layOut();

    Conversation::Page page_;
    QString plain_;
    std::vector<std::unique_ptr<QTextLayout>> layouts_;
    int height_ = 0;
    int laidOutWidth_ = -1;
};
