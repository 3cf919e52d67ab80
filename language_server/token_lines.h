#pragma once

#include "checker/script_check.h"
#include "language_server/text_document.h"

#include <QString>
#include <QVector>

#include <optional>
#include <vector>

namespace Lsp {

struct TokensEdit;

// The semantic tokens a client holds for one script, kept line by line so that
// after an edit only the lines the checker read again are classified again: a
// delta after a keystroke costs about what the keystroke's check does, not the
// script's length. The document's own record of its edits tells which lines
// changed; when it no longer reaches back far enough, every line is read again
// and those whose tokens are the same as before are left out of the edit. Only
// the numbers are kept, not the checker's lines: holding those would read each of
// them twice more (taken, then let go), spread as they are over memory.
class TokenLines
{
public:
    // Reads every line of `document`; the whole list, encoded as the protocol sends
    // it, valid until the lines are next read.
    const std::vector<quint32> &readAll(const TextDocument &document);
    // Reads the lines that changed since the last read; the one edit that turns the
    // list of then into the list of now, or nothing when they are the same.
    std::optional<TokensEdit> update(const TextDocument &document);
    // The whole list of `document` from the lines held, reading again only those
    // that changed: the held numbers lie together, where the checker's lines do not.
    // Valid until the lines are next read.
    const std::vector<quint32> &current(const TextDocument &document);

private:
    // Where a line's tokens lie in pool_, the first placed at line 0.
    struct Line
    {
        quint32 start = 0;
        quint32 size = 0;
    };
    // The lines the recorded edits changed, [first, end) as numbered now; nothing
    // when the record does not reach back, none when nothing changed.
    struct Span
    {
        size_t first = 0;
        size_t end = 0;
    };
    std::optional<std::optional<Span>> editedSpan(const TextDocument &document) const;
    Span scannedSpan(const ScriptCheck &check) const;
    std::optional<TokensEdit> readAgain(const ScriptCheck &check, Span span);
    void replaceLines(size_t first, size_t replaced, const std::vector<Line> &read);
    // Reads line `number` onto the end of `pool`; where its tokens lie.
    static Line read(const ScriptCheck &check, int number, std::vector<quint32> &pool);
    // The line of the last token before line `number`, or 0.
    int lineOfTokenBefore(size_t number) const;
    // The lines' tokens joined, the first token of each placed after the token before.
    static void append(std::vector<quint32> &out, const std::vector<quint32> &pool, const std::vector<Line> &lines,
                       int firstNumber, int lineBefore);
    // Drops the numbers no line points at any more, once they outweigh the rest.
    void compact();
    // Lays the lines' numbers out one after another in order, each line's first
    // placed after the line before: the pool is then the whole list itself.
    void putInOrder();
    // Reads the line after next while this one is classified, so that its scattered
    // memory is on its way by then.
    static void prefetch(const ScriptCheck &check, size_t number, size_t count);

    std::vector<Line> lines_;
    // Every line's tokens, one after another: no allocation per line, and a long
    // script's are written and read in order. Lines read again go at the end. The
    // first number of a line's tokens is where it lies after the line before, and
    // only right while inOrder_.
    std::vector<quint32> pool_;
    bool inOrder_ = false;
    size_t live_ = 0;       // the numbers of pool_ a line points at
    quint64 editCount_ = 0; // the document's, when last read
    quint64 documentId_ = 0;
};

} // namespace Lsp
