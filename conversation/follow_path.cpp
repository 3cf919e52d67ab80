#include "conversation/follow_path.h"

#include <algorithm>
#include <optional>

namespace Conversation {

namespace {

using Decision = Diagnostic::Decision;

// Buttons pressed on the way at most: a loop the path does not leave stops here.
constexpr int kMostAnswers = 1000;

bool inScript(const Place &place, int line)
{
    return place.file.isEmpty() && place.line == line;
}

// Whether what the run did since `pages`, `path` and `effects` entries touched `line`.
class Reached
{
public:
    explicit Reached(int line) : line_(line) {}

    bool since(const Run &run)
    {
        const Transcript &t = run.transcript();
        bool found = false;
        for (qsizetype i = path_; i < t.path.size() && !found; ++i)
            found = inScript(t.path.at(i).place, line_);
        for (qsizetype i = effects_; i < t.effects.size() && !found; ++i)
            found = inScript(t.effects.at(i).place, line_);
        for (qsizetype i = std::max<qsizetype>(pages_ - 1, 0); i < t.pages.size() && !found; ++i) {
            for (const MessageLine &shown : t.pages.at(i).lines)
                found = found || inScript(shown.place, line_);
        }
        path_ = t.path.size();
        effects_ = t.effects.size();
        pages_ = t.pages.size();
        return found || inScript(run.wait().place, line_) ||
               (t.ending != Ending::Running && inScript(t.endPlace, line_));
    }

private:
    const int line_;
    qsizetype path_ = 0, effects_ = 0, pages_ = 0;
};

// The answer the path gives to what the run waits for, taking the decisions it
// uses; nothing when the path does not say.
std::optional<Answer> answerFor(const Wait &wait, const QVector<Decision> &path, qsizetype &next)
{
    if (wait.kind == Wait::Kind::Button)
        return Answer::press();
    if (!wait.place.file.isEmpty())
        return std::nullopt;
    for (qsizetype i = next; i < path.size(); ++i) {
        const Decision &decision = path.at(i);
        if (decision.line != wait.place.line)
            continue;
        std::optional<Answer> answer;
        if (wait.kind == Wait::Kind::Choice &&
            (decision.kind == Decision::Kind::Choice || decision.kind == Decision::Kind::Value))
            answer = Answer::choose(int(decision.value));
        else if (wait.kind == Wait::Kind::Question && wait.yesNo &&
                 (decision.kind == Decision::Kind::Holds || decision.kind == Decision::Kind::Fails))
            answer = decision.kind == Decision::Kind::Holds ? Answer::yes() : Answer::no();
        else if (wait.kind == Wait::Kind::Question && !wait.yesNo && decision.kind == Decision::Kind::Value)
            answer = Answer::type(QString::number(decision.value));
        if (answer) {
            next = i + 1;
            return answer;
        }
    }
    return std::nullopt;
}

} // namespace

int followPath(Run &run, const QVector<Decision> &path, int line)
{
    Reached reached(line);
    qsizetype next = 0;
    int given = 0;
    while (given < kMostAnswers && run.wait().kind != Wait::Kind::Ended && !reached.since(run)) {
        const std::optional<Answer> answer = answerFor(run.wait(), path, next);
        if (!answer || !run.answer(*answer))
            break;
        ++given;
    }
    return given;
}

} // namespace Conversation
