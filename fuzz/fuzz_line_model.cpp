// Generated lines and the user's own typing, mixed at random on the script editor's
// document, checked after every step against a plain string that follows the line
// rules on its own.
//
// Input: a sequence of steps, each a letter (case ignored; other bytes are skipped)
// with its arguments:
//   A text/      append a generated line        R text/  replace the last line
//   X text/      extend the last line by text   N        empty the script (File > New)
//   I p text/    type text at position p        D p n    delete n (0-15) characters at p
//   U            undo                           Y        redo
// A text runs to the next '/' or the end of the input and is read as UTF-8; p is one
// byte, 0 meaning the start of the script and 255 its end.
#include "main_window/line_model.h"
#include "main_window/script_file.h"

#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// Bounds that keep one input well under a millisecond.
constexpr int kMaxSteps = 32;
constexpr qsizetype kMaxPiece = 24;
constexpr qsizetype kMaxText = 256;

bool isBreak(QChar c)
{
    // What a QTextCursor turns into a block boundary when it inserts text.
    return c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator || c == u'\uFDD0' || c == u'\uFDD1';
}

class Input
{
public:
    Input(const uint8_t *data, size_t size) : data_(data), size_(size) {}

    bool atEnd() const { return at_ >= size_; }
    uint8_t byte() { return atEnd() ? 0 : data_[at_++]; }

    QString piece()
    {
        const size_t from = at_;
        while (!atEnd() && data_[at_] != '/')
            ++at_;
        QString text = QString::fromUtf8(reinterpret_cast<const char *>(data_ + from), qsizetype(at_ - from));
        byte(); // the '/'
        text.truncate(kMaxPiece);
        // The document keeps these inside a line, but toPlainText shows them as a
        // break and a blank; they would only blur the comparison.
        text.replace(QChar::LineSeparator, u'?');
        text.replace(QChar::Nbsp, u'?');
        return text;
    }

    // A generator never writes a line break: field texts are single lines.
    QString line()
    {
        QString text = piece();
        for (QChar &c : text) {
            if (isBreak(c))
                c = u'?';
        }
        return text;
    }

private:
    const uint8_t *data_;
    size_t size_;
    size_t at_ = 0;
};

// The script as one string with '\n' for each line break.
struct Model
{
    QString text;

    bool endsWithBreak() const { return text.endsWith(u'\n'); }

    qsizetype lineCount() const
    {
        if (text.isEmpty())
            return 0;
        return text.count(u'\n') + (endsWithBreak() ? 0 : 1);
    }

    qsizetype lastLineEnd() const { return endsWithBreak() ? text.size() - 1 : text.size(); }

    qsizetype lastLineStart() const
    {
        qsizetype start = lastLineEnd();
        while (start > 0 && text.at(start - 1) != u'\n')
            --start;
        return start;
    }

    QString lastLine() const { return text.mid(lastLineStart(), lastLineEnd() - lastLineStart()); }

    // Returns where the caret must stand afterwards.
    qsizetype append(const QString &line)
    {
        if (text.isEmpty() || endsWithBreak())
            text += line + u'\n';
        else
            text += u'\n' + line;
        return text.size();
    }

    qsizetype replaceLast(const QString &line)
    {
        if (text.isEmpty()) {
            text = line;
            return text.size();
        }
        const qsizetype start = lastLineStart();
        text.replace(start, lastLineEnd() - start, line);
        return start + line.size();
    }

    void type(qsizetype at, const QString &typed)
    {
        QString normalised;
        for (qsizetype i = 0; i < typed.size(); ++i) {
            if (typed.at(i) == u'\r' && i + 1 < typed.size() && typed.at(i + 1) == u'\n')
                continue; // CR LF is one break
            normalised += isBreak(typed.at(i)) ? QChar(u'\n') : typed.at(i);
        }
        text.insert(at, normalised);
    }
};

QByteArray shown(const QString &text)
{
    QByteArray out;
    for (QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7F && c != u'\\')
            out += char(c.unicode());
        else
            out += "\\u" + QByteArray::number(c.unicode(), 16).rightJustified(4, '0');
    }
    return out;
}

[[noreturn]] void fail(int step, char op, const char *what, const QString &actual, const QString &expected)
{
    fprintf(stderr, "line model: step %d '%c': %s\n  document: \"%s\"\n  expected: \"%s\"\n", step, op, what,
            shown(actual).constData(), shown(expected).constData());
    abort();
}

void check(const QTextDocument &document, const Model &model, int step, char op)
{
    if (document.toPlainText() != model.text)
        fail(step, op, "text", document.toPlainText(), model.text);
    if (LineModel::lineCount(document) != model.lineCount())
        fail(step, op, "line count", QString::number(LineModel::lineCount(document)),
             QString::number(model.lineCount()));
    if (LineModel::lastLine(document) != model.lastLine())
        fail(step, op, "last line", LineModel::lastLine(document), model.lastLine());
}

void checkCaret(const QTextCursor &cursor, qsizetype expected, int step, char op)
{
    if (cursor.hasSelection() || cursor.position() != expected)
        fail(step, op, "caret", QString::number(cursor.position()), QString::number(expected));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Input input(data, size);
    QTextDocument document;
    Model model;
    // The states that undo and redo may lead back to: never past a generated line,
    // because the editor clears its undo history after writing one.
    std::vector<QString> undoable{model.text};

    for (int step = 0; step < kMaxSteps && !input.atEnd();) {
        const char op = char(input.byte() | 0x20);
        // Past the bound the text only shrinks; the arguments are skipped all the same.
        const bool full = model.text.size() > kMaxText;
        switch (op) {
        case 'a': {
            const QString line = input.line();
            if (full)
                break;
            const QTextCursor cursor = LineModel::appendLine(document, line);
            checkCaret(cursor, model.append(line), step, op);
            break;
        }
        case 'r':
        case 'x': {
            const QString line = op == 'r' ? input.line() : LineModel::lastLine(document) + input.line();
            if (full && op == 'x')
                break;
            const QTextCursor cursor = LineModel::replaceLastLine(document, line);
            checkCaret(cursor, model.replaceLast(line), step, op);
            break;
        }
        case 'n':
            document.clear();
            model.text.clear();
            break;
        case 'i': {
            const qsizetype at = input.byte() * model.text.size() / 255;
            const QString typed = input.piece();
            if (full)
                break;
            QTextCursor cursor(&document);
            cursor.setPosition(int(at));
            cursor.insertText(typed);
            model.type(at, typed);
            undoable.push_back(model.text);
            break;
        }
        case 'd': {
            const qsizetype at = input.byte() * model.text.size() / 255;
            const qsizetype count = std::min<qsizetype>(input.byte() % 16, model.text.size() - at);
            QTextCursor cursor(&document);
            cursor.setPosition(int(at));
            cursor.setPosition(int(at + count), QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
            model.text.remove(at, count);
            undoable.push_back(model.text);
            break;
        }
        case 'u':
        case 'y': {
            if (op == 'u')
                document.undo();
            else
                document.redo();
            const QString now = document.toPlainText();
            if (std::find(undoable.begin(), undoable.end(), now) == undoable.end())
                fail(step, op, "undo went back past a generated line", now, undoable.front());
            model.text = now;
            break;
        }
        default:
            continue;
        }
        if (op == 'a' || op == 'r' || op == 'x' || op == 'n') {
            document.clearUndoRedoStacks();
            undoable.assign(1, model.text);
        }
        check(document, model, step, op);
        ++step;
    }
    // Once at the end: walking every block is the costliest check.
    QString saved = model.text;
    saved.replace(u'\n', QStringLiteral("\r\n"));
    if (ScriptFile::fileText(document) != saved)
        fail(kMaxSteps, '.', "saved text", ScriptFile::fileText(document), saved);
    return 0;
}
