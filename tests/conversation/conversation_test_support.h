#pragma once

#include "checker/script_check.h"
#include "conversation/run.h"

#include <QStringList>

// Scripts for the conversation tests, and the transcript as one stable text.
namespace ConversationTest {

// An NPC whose body is `body`, from line 2 on (line 1 from 0).
inline QStringList npc(const QString &body)
{
    return (QStringLiteral("harbor01.tsg,5,5,4\tscript\tGuard\t56,{\n") + body + QStringLiteral("\n}")).split(u'\n');
}

inline void load(ScriptCheck &check, const QStringList &lines)
{
    check.replaceLines(0, 0, lines);
}

// "press", "2" (a choice), "yes", "no", "t:text" (typed), "cancel".
inline Conversation::Answer answerOf(const QString &said)
{
    using Conversation::Answer;
    if (said == u"press")
        return Answer::press();
    if (said == u"yes")
        return Answer::yes();
    if (said == u"no")
        return Answer::no();
    if (said == u"cancel")
        return Answer::cancel();
    if (said.startsWith(u"t:"))
        return Answer::type(said.mid(2));
    return Answer::choose(said.toInt());
}

// Pages as "text|{FF0000:red}text[次へ]", one per entry; lines joined by "/".
inline QStringList pagesOf(const Conversation::Transcript &t)
{
    QStringList pages;
    for (const Conversation::Page &page : t.pages) {
        QStringList lines;
        for (const Conversation::MessageLine &line : page.lines) {
            QString text;
            for (const Conversation::ColouredText &piece : line.pieces) {
                if ((piece.colour & 0xFFFFFF) == 0)
                    text += piece.text;
                else
                    text += QStringLiteral("{%1:%2}")
                                .arg(piece.colour & 0xFFFFFF, 6, 16, QLatin1Char('0'))
                                .arg(piece.text)
                                .toUpper();
            }
            lines.append(text);
        }
        static const char *const kButtons[] = {"", "[次へ]", "[閉じる]"};
        pages.append(lines.join(u'/') + QString::fromUtf8(kButtons[int(page.button)]));
    }
    return pages;
}

// Effects as "LINE:command", lines from 1.
inline QStringList effectsOf(const Conversation::Transcript &t)
{
    QStringList effects;
    for (const Conversation::Effect &e : t.effects)
        effects.append(QStringLiteral("%1:%2").arg(e.place.line + 1).arg(e.command));
    return effects;
}

// How it ended or what it waits for: "closed", "ended", "stuck", "warped", "cancelled",
// "stopped@LINE", or "waits:button|choice|input|question".
inline QString stateOf(const Conversation::Run &run)
{
    using namespace Conversation;
    const Transcript &t = run.transcript();
    switch (t.ending) {
    case Ending::Running: {
        static const char *const kWaits[] = {"button", "choice", "input", "question", "ended"};
        return QStringLiteral("waits:") + QString::fromUtf8(kWaits[int(run.wait().kind)]);
    }
    case Ending::Closed:
        return QStringLiteral("closed");
    case Ending::Ended:
        return t.stuck ? QStringLiteral("stuck") : QStringLiteral("ended");
    case Ending::Warped:
        return QStringLiteral("warped");
    case Ending::Cancelled:
        return QStringLiteral("cancelled");
    case Ending::Stopped:
        return QStringLiteral("stopped@%1").arg(t.endPlace.line + 1);
    }
    return {};
}

} // namespace ConversationTest
