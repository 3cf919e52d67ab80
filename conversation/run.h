#pragma once

#include "checker/body_form.h"
#include "checker/commands.h"
#include "conversation/transcript.h"
#include "conversation/value.h"

#include <QHash>

#include <functional>
#include <memory>
#include <optional>

class ScriptCheck;

// One player's conversation with an NPC, run step by step: it goes on until the
// player must press a button, choose, type, or until a condition or value depends
// on the player or the world, and waits there for an answer. Nothing is carried
// out: effects are listed, the script is never changed.
namespace Conversation {

// The run carries out the body as the checker lowered it.
using BodyForm::Body;
using BodyForm::Instruction;
using BodyForm::Node;

// Where a body is: the definition line in a check, and how its lines are numbered
// in the file they come from.
struct Source
{
    const ScriptCheck *check = nullptr;
    int definitionLine = 0;
    int lineOffset = 0; // added to the check's lines to give the file's
    QString file;       // empty: the script previewed
};

// The body of the function a callfunc names, in some checked file, or nothing.
using FunctionFinder = std::function<std::optional<Source>(const QString &name)>;

// An answer the player gave, with what it answered, so that a run after an edit
// can give it again where it still fits.
struct GivenAnswer
{
    Wait::Kind waited = Wait::Kind::Button;
    QString question;
    Answer answer;
};

class Run
{
public:
    static constexpr int kStepLimit = 10000;
    // A statement that waits is carried out again after each answer, so waits
    // inside one statement (a function called from an expression) are bounded.
    static constexpr int kMostWaitsInOneStatement = 500;

    // Runs the body of `start`, from `label` when it is not empty (an event label),
    // up to the first wait.
    Run(const Source &start, const QString &label = {}, FunctionFinder findFunction = {},
        std::shared_ptr<const Commands::Table> commands = Commands::Table::builtIn());
    ~Run();
    Run(const Run &) = delete;
    Run &operator=(const Run &) = delete;

    const Transcript &transcript() const { return transcript_; }
    const Wait &wait() const { return wait_; }
    const QVector<GivenAnswer> &given() const { return given_; }

    // Goes on with `answer`; false, and nothing happens, when it does not fit the wait.
    bool answer(const Answer &answer);

private:
    struct Frame;
    struct State;
    struct Mark;
    class Engine;
    void go();
    void rememberAnswer(const Answer &answer);

    std::unique_ptr<State> state_;
    std::unique_ptr<State> before_; // the state before the statement that waits
    Transcript transcript_;
    Wait wait_;
    QVector<GivenAnswer> given_;
    QVector<Answer> pending_;          // the answers of the statement that waits, in order
    int pendingUsed_ = 0;              // how many of them the statement took so far
    QString askedKey_;                 // what the question waited for asks
    QHash<QString, Value> asked_;      // questions answered in this run, by what they ask
    std::unique_ptr<Mark> beforeMark_; // the transcript before that statement
    FunctionFinder findFunction_;
    std::shared_ptr<const Commands::Table> commands_;
    QHash<QPair<const ScriptCheck *, int>, std::shared_ptr<const Body>> bodies_;
};

// Gives `run` the answers of `given` in order as long as each fits what the run
// waits for; returns how many it gave.
int replay(Run &run, const QVector<GivenAnswer> &given);

} // namespace Conversation
