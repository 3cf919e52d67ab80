// The conversation preview, side by side: opening it for an NPC in the middle of
// a 100,000-line script against the same NPC alone, and one step (a click on
// 次へ up to the painted page) against a bare label showing the same text. Each
// figure is a ratio of medians, the cases interleaved.
#include "bench/bench_timing.h"
#include "conversation_window/conversation_window.h"
#include "conversation_window/message_view.h"
#include "main_window/tform1.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using BenchTiming::median;
using BenchTiming::timeOnce;

// An NPC of ten lines whose conversation has `pages` pages.
QString npc(int index, int pages)
{
    QString text = QStringLiteral("harbor%1.tsg,120,85,6\tscript\tFerryman%1\t56,{\n").arg(index);
    for (int page = 0; page < pages; ++page)
        text += QStringLiteral("\tmes \"[Ferryman] ^0000FFPage %1^000000 of the crossing, and the tide is high.\";\n"
                               "\tnext;\n")
                    .arg(page);
    return text + QStringLiteral(
                      "\tmenu \"Yes\",L_Yes,\"No\",L_No;\nL_Yes:\n\twarp \"lakeside\",120,64;\nL_No:\n\tclose;\n}\n");
}

QString scriptOf(int npcs, int pages)
{
    QString text;
    for (int i = 0; i < npcs; ++i)
        text += npc(i, pages);
    return text;
}

// The page as rich text, each piece in its colour: what a label needs to show it.
QString richText(const Conversation::Page &page)
{
    QStringList lines;
    for (const Conversation::MessageLine &line : page.lines) {
        QString html;
        for (const Conversation::ColouredText &piece : line.pieces)
            html += QStringLiteral("<span style=\"color:#%1\">%2</span>")
                        .arg(piece.colour & 0xFFFFFF, 6, 16, QLatin1Char('0'))
                        .arg(piece.text.toHtmlEscaped());
        lines.append(html);
    }
    return lines.join(QStringLiteral("<br>"));
}

void row(const char *what, double a, double b, const char *target)
{
    std::printf("| %-58s | %10.1f | %10.1f | %6.2f | %s |\n", what, a, b, a / b, target);
}

struct Preview
{
    TForm1 *form;
    int line;
    void placeCursor()
    {
        auto *editor = form->findChild<QPlainTextEdit *>(QStringLiteral("Memo1"));
        editor->setTextCursor(QTextCursor(editor->document()->findBlockByNumber(line)));
    }
    double open()
    {
        auto *action = form->findChild<QAction *>(QStringLiteral("Preview1"));
        return timeOnce([&] {
            action->trigger();
            form->conversationWindow()->repaint();
        });
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const int repetitions = argc > 1 ? std::atoi(argv[1]) : 200;
    QTemporaryDir scratch;
    QDir::setCurrent(scratch.path());

    // Ten thousand NPCs of ten lines (two pages each): 100,000 lines, the middle one previewed.
    TForm1 alone;
    TForm1 large;
    for (TForm1 *form : {&alone, &large}) {
        form->show();
        if (!QTest::qWaitForWindowExposed(form))
            return 1;
    }
    alone.findChild<QPlainTextEdit *>(QStringLiteral("Memo1"))->setPlainText(npc(5000, 2));
    large.findChild<QPlainTextEdit *>(QStringLiteral("Memo1"))->setPlainText(scriptOf(10000, 2));
    Preview smallPreview{&alone, 2};
    Preview largePreview{&large, 5000 * 10 + 2};
    smallPreview.placeCursor();
    largePreview.placeCursor();
    smallPreview.open(); // the window is made once
    largePreview.open();
    std::vector<double> aloneTimes, largeTimes;
    for (int i = 0; i < repetitions; ++i) {
        aloneTimes.push_back(smallPreview.open());
        largeTimes.push_back(largePreview.open());
    }

    alone.close();
    large.close();
    // One step: a click on 次へ in a long conversation, up to the painted page, against
    // a bare label of the box's width given the same text.
    TForm1 talk;
    talk.show();
    if (!QTest::qWaitForWindowExposed(&talk))
        return 1;
    talk.findChild<QPlainTextEdit *>(QStringLiteral("Memo1"))->setPlainText(npc(1, repetitions + 2));
    Preview talkPreview{&talk, 1};
    talkPreview.placeCursor();
    talkPreview.open();
    ConversationWindow *window = talk.conversationWindow();
    auto *button = window->findChild<QPushButton *>(QStringLiteral("pageButton"));
    auto *message = window->findChild<MessageView *>(QStringLiteral("message"));
    // The label stands in a window of the preview's size, so that both flush alike.
    QWidget bareWindow;
    bareWindow.resize(window->size());
    QLabel bare(&bareWindow);
    bare.setWordWrap(true);
    bare.setTextFormat(Qt::RichText);
    bare.setFont(message->font());
    bare.setGeometry(message->geometry());
    bareWindow.show();
    if (!QTest::qWaitForWindowExposed(&bareWindow))
        return 1;
    QWidget *box = window->findChild<QWidget *>(QStringLiteral("conversationBox"));
    QCoreApplication::processEvents(); // nothing else pending when the steps begin
    std::vector<double> stepTimes, windowTimes, labelTimes;
    for (int i = 0; i < repetitions; ++i) {
        // The page painted; then, apart, the whole window with its lists.
        stepTimes.push_back(timeOnce([&] {
            button->click();
            box->repaint();
        }));
        windowTimes.push_back(stepTimes.back() + timeOnce([&] {
                                  QCoreApplication::processEvents(); // the effects and the path follow
                                  window->repaint();
                              }));
        const QString text = richText(message->page());
        labelTimes.push_back(timeOnce([&] {
            bare.setText(text);
            bare.repaint();
        }));
        bare.clear();
    }

    std::printf("| %-58s | %10s | %10s | %6s | %s |\n", "measure (median, microseconds)", "case", "against", "ratio",
                "target");
    row("open the preview: NPC in a 100,000-line script / alone", median(largeTimes), median(aloneTimes), "<= 1.5");
    row("one step: click on 次へ to painted page / bare QLabel", median(stepTimes), median(labelTimes), "<= 1.5");
    row("one step, the whole window painted / bare QLabel", median(windowTimes), median(labelTimes), "(shown)");
    return 0;
}
