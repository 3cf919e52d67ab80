// The checker kept up to date edit by edit, compared after every edit with a fresh
// check of the whole text; the lines it says changed must cover every line whose
// diagnostics did.
//
// Input: a sequence of edits, each three bytes and a text:
//   first  the first line replaced (taken modulo the line count + 1)
//   count  how many lines are replaced (0-3)
//   size   how many bytes of text follow (0-63), read as UTF-8; its "\n" split it
//          into the new lines (an empty text is one empty line, unless count is
//          odd, when no line goes in: a pure deletion)
#include "checker/script_check.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kMaxEdits = 24;

QVector<Diagnostics> perLine(const ScriptCheck &check)
{
    QVector<Diagnostics> lines;
    for (int i = 0; i < check.lineCount(); ++i)
        lines.append(check.diagnostics(i));
    return lines;
}

[[noreturn]] void fail(const char *what, int edit)
{
    std::fprintf(stderr, "fuzz_script_check: %s after edit %d\n", what, edit);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ScriptCheck check;
    QStringList text;
    size_t at = 0;
    for (int edit = 0; edit < kMaxEdits && at + 3 <= size; ++edit) {
        const int first = data[at] % (text.size() + 1);
        const int removed = std::min<int>(data[at + 1] % 4, int(text.size()) - first);
        const size_t length = std::min<size_t>(data[at + 2] % 64, size - at - 3);
        const QString piece = QString::fromUtf8(reinterpret_cast<const char *>(data + at + 3), qsizetype(length));
        at += 3 + length;
        QStringList lines = piece.split(u'\n');
        if (piece.isEmpty() && data[at - length - 2] % 2 == 1)
            lines.clear();

        const QVector<Diagnostics> before = perLine(check);
        QVector<int> reported = check.replaceLines(first, removed, lines);
        reported += check.updateFlow();
        text.remove(first, removed);
        for (qsizetype i = 0; i < lines.size(); ++i)
            text.insert(first + i, lines.at(i));

        if (check.lineCount() != text.size())
            fail("line count differs from the text's", edit);
        ScriptCheck fresh;
        fresh.replaceLines(0, 0, text);
        fresh.updateFlow();
        if (check.allDiagnostics() != fresh.allDiagnostics())
            fail("diagnostics differ from a fresh check", edit);
        for (int line = 0; line < text.size(); ++line) {
            if (check.colours(line) != fresh.colours(line))
                fail("colours differ from a fresh check", edit);
            if (check.stepsOn(line) != fresh.stepsOn(line))
                fail("statements differ from a fresh check", edit);
        }
        const QVector<Diagnostics> after = perLine(check);
        const int end = first + int(lines.size());
        for (int line = 0; line < after.size(); ++line) {
            if (line >= first && line < end)
                continue;
            const int old = line < first ? line : line - int(lines.size()) + removed;
            QVector<Diagnostic> was = before.value(old);
            // Related places are numbered in the script; they move with their line.
            for (Diagnostic &d : was) {
                d.line = line;
                for (Diagnostic::Related &related : d.related)
                    related.line += line - old;
            }
            if (was != after.at(line) && !reported.contains(line))
                fail("a changed line was not reported", edit);
        }
    }
    return 0;
}
