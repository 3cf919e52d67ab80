// The conversation interpreter on any script with any answers: it must never
// crash, and every run must end or wait within the step limit.
//
// Input: a script body as UTF-8 up to the first 0 byte (put inside an NPC, and
// also offered as a function "F" to callfunc), then one byte per answer: the
// answer is picked to fit what the run waits for (a choice, yes or no, a typed
// number), except that a byte above 0xF0 gives one that does not fit.
#include "checker/script_check.h"
#include "conversation/run.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kMostAnswers = 200;

Conversation::Answer answerFor(const Conversation::Wait &wait, uint8_t byte)
{
    using Conversation::Answer;
    if (byte > 0xF0)
        return byte % 2 ? Answer::press() : Answer::choose(byte);
    switch (wait.kind) {
    case Conversation::Wait::Kind::Choice:
        return byte % 16 == 15 ? Answer::cancel()
                               : Answer::choose(1 + byte % std::max<int>(1, int(wait.choices.size())));
    case Conversation::Wait::Kind::Question:
        if (wait.yesNo)
            return byte % 2 ? Answer::yes() : Answer::no();
        [[fallthrough]];
    case Conversation::Wait::Kind::Input:
        return Answer::type(QString::number(int(byte) - 64));
    default:
        return Answer::press();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto *end = static_cast<const uint8_t *>(std::memchr(data, 0, size));
    const size_t scriptSize = end ? size_t(end - data) : size;
    const QString body = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(scriptSize));
    ScriptCheck check;
    check.replaceLines(0, 0,
                       (QStringLiteral("m.tsg,1,1,0\tscript\tN\t1,{\n") + body +
                        QStringLiteral("\n}\nfunction\tscript\tF\t{\n") + body + QStringLiteral("\n}"))
                           .split(u'\n'));
    const int functionLine = check.lineCount() - 2 - int(body.count(u'\n'));
    const Conversation::FunctionFinder finder = [&](const QString &name) -> std::optional<Conversation::Source> {
        if (name != u"F")
            return std::nullopt;
        return Conversation::Source{&check, functionLine, 0, {}};
    };
    Conversation::Run run(Conversation::Source{&check, 0, 0, {}}, QString(), finder);
    size_t at = scriptSize + 1;
    for (int i = 0; i < kMostAnswers && at < size && run.transcript().ending == Conversation::Ending::Running;
         ++i, ++at) {
        const int before = int(run.given().size());
        const bool taken = run.answer(answerFor(run.wait(), data[at]));
        if (taken != (int(run.given().size()) == before + 1)) {
            std::fprintf(stderr, "fuzz_conversation: an answer was taken without being recorded\n");
            std::abort();
        }
    }
    if (run.transcript().ending == Conversation::Ending::Running &&
        run.wait().kind == Conversation::Wait::Kind::Ended) {
        std::fprintf(stderr, "fuzz_conversation: a running conversation waits for nothing\n");
        std::abort();
    }
    return 0;
}
