#include "main_window/script_highlighter.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>

namespace {

QTextCharFormat coloured(const QColor &colour, bool bold = false)
{
    QTextCharFormat format;
    format.setForeground(colour);
    if (bold)
        format.setFontWeight(QFont::Bold);
    return format;
}

QTextCharFormat underlined(const QColor &colour)
{
    QTextCharFormat format;
    format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
    format.setUnderlineColor(colour);
    return format;
}

} // namespace

ScriptHighlighter::ScriptHighlighter(QPlainTextEdit *editor, std::shared_ptr<const Commands::Table> commands)
    : QSyntaxHighlighter(editor), commands_(commands), check_(std::make_unique<ScriptCheck>(std::move(commands)))
{
    colourFormats_[int(Colour::Kind::Command)] = coloured(QColor(0x1a, 0x3c, 0xa8));
    colourFormats_[int(Colour::Kind::String)] = coloured(QColor(0xa3, 0x15, 0x15));
    colourFormats_[int(Colour::Kind::Label)] = coloured(QColor(0x80, 0x2a, 0x9c));
    colourFormats_[int(Colour::Kind::Number)] = coloured(QColor(0x0b, 0x7a, 0x55));
    colourFormats_[int(Colour::Kind::Brace)] = coloured(QColor(0x00, 0x00, 0x00), true);
    colourFormats_[int(Colour::Kind::Comment)] = coloured(QColor(0x70, 0x70, 0x70));
    colourFormats_[int(Colour::Kind::Variable)] = coloured(QColor(0x00, 0x6e, 0x8a));
    errorFormat_ = underlined(QColor(0xe0, 0x10, 0x10));
    warningFormat_ = underlined(QColor(0xd0, 0x8c, 0x00));

    // The check must follow an edit before the highlighter repaints its lines, so
    // it hears of the change first; lines elsewhere are repainted after.
    QTextDocument *document = editor->document();
    connect(document, &QTextDocument::contentsChange, this, &ScriptHighlighter::takeChange);
    readWholeDocument(*document);
    setDocument(document);
    connect(document, &QTextDocument::contentsChange, this, &ScriptHighlighter::repaintOtherLines);
    flowPause_.setSingleShot(true);
    flowPause_.setInterval(kFlowPauseMs);
    connect(&flowPause_, &QTimer::timeout, this, &ScriptHighlighter::judgeFlowNow);
}

Diagnostics ScriptHighlighter::diagnostics(int line) const
{
    Diagnostics found = check_->diagnostics(line);
    if (!loadFound_.isEmpty()) {
        found += loadFound_.on(line);
        std::stable_sort(found.begin(), found.end(),
                         [](const Diagnostic &a, const Diagnostic &b) { return a.column < b.column; });
    }
    findings_.apply(found);
    return found;
}

Diagnostics ScriptHighlighter::allDiagnostics() const
{
    Diagnostics found = check_->allDiagnostics();
    if (!loadFound_.isEmpty()) {
        found += loadFound_.all();
        std::stable_sort(found.begin(), found.end(), [](const Diagnostic &a, const Diagnostic &b) {
            return a.line < b.line || (a.line == b.line && a.column < b.column);
        });
    }
    findings_.apply(found);
    return found;
}

void ScriptHighlighter::setCommands(std::shared_ptr<const Commands::Table> commands)
{
    setProject(std::move(commands), findings_);
}

void ScriptHighlighter::setProject(std::shared_ptr<const Commands::Table> commands, FindingPolicy findings)
{
    const bool recheck = commands != commands_;
    if (!recheck && findings == findings_)
        return;
    findings_ = std::move(findings);
    if (recheck) {
        flowPause_.stop();
        commands_ = commands;
        check_ = std::make_unique<ScriptCheck>(std::move(commands));
        check_->setOutsideWindows(outside_);
        readWholeDocument(*document());
    }
    rehighlight();
}

void ScriptHighlighter::setOutsideWindows(std::shared_ptr<const WindowAcross::Table> table)
{
    outside_ = std::move(table);
    if (check_->setOutsideWindows(outside_))
        flowPause_.start();
}

void ScriptHighlighter::judgeFlowNow()
{
    flowPause_.stop();
    QVector<int> lines = check_->updateFlow();
    lines += judgeLoadOrder();
    for (const int line : std::as_const(lines)) {
        const QTextBlock block = document()->findBlockByNumber(line);
        if (block.isValid())
            rehighlightBlock(block);
    }
}

QStringList ScriptHighlighter::linesOf(int first, int count) const
{
    QStringList lines;
    lines.reserve(count);
    for (QTextBlock block = document()->findBlockByNumber(first); block.isValid() && lines.size() < count;
         block = block.next())
        lines.append(block.text());
    return lines;
}

void ScriptHighlighter::readWholeDocument(const QTextDocument &document)
{
    const int lines = document.blockCount();
    QStringList texts;
    texts.reserve(lines);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        texts.append(block.text());
    check_->replaceLines(0, check_->lineCount(), texts);
    check_->updateFlow(); // the whole text is read at once: its flow with it
    loadLines_.readAll(*check_);
    loadFound_.replace(loadLines_.judgeAlone(*check_, commands_->target()));
    knownLines_ = lines;
}

// What the load order decides, judged again over the lines' sums; returns the
// lines whose findings changed.
QVector<int> ScriptHighlighter::judgeLoadOrder()
{
    return loadFound_.replace(loadLines_.judgeAlone(*check_, commands_->target()));
}

// The lines an edit replaced follow from the block count before and after it: the
// characters removed are gone by now, so their line breaks can no longer be counted.
void ScriptHighlighter::takeChange(int position, int removed, int added)
{
    Q_UNUSED(removed);
    const QTextDocument *document = this->document();
    const int lines = document->blockCount();
    const int first = document->findBlock(position).blockNumber();
    const int last = document->findBlock(qMin(position + added, document->characterCount() - 1)).blockNumber();
    const int newCount = last - first + 1;
    const int oldCount = newCount - (lines - knownLines_);
    if (first < 0 || last < first || oldCount < 0 || first + oldCount > check_->lineCount()) {
        // Not an edit of a known range of lines: read everything again.
        readWholeDocument(*document);
        repaintAll_ = true;
        return;
    }
    const QVector<int> changed = check_->replaceLines(first, oldCount, linesOf(first, newCount));
    loadLines_.update(*check_, first, oldCount, newCount, changed);
    loadFound_.linesReplaced(first, oldCount, newCount);
    toRepaint_ += changed;
    knownLines_ = lines;
    flowPause_.start();
}

void ScriptHighlighter::repaintOtherLines()
{
    if (std::exchange(repaintAll_, false)) {
        toRepaint_.clear();
        rehighlight();
        return;
    }
    const QVector<int> lines = std::exchange(toRepaint_, {});
    for (const int line : lines) {
        const QTextBlock block = document()->findBlockByNumber(line);
        if (block.isValid())
            rehighlightBlock(block);
    }
}

void ScriptHighlighter::highlightBlock(const QString &text)
{
    const int line = currentBlock().blockNumber();
    if (line >= check_->lineCount())
        return;
    for (const Colour &piece : check_->colours(line))
        setFormat(piece.column, piece.length, colourFormats_[int(piece.kind)]);
    for (const Diagnostic &diagnostic : diagnostics(line)) {
        const QTextCharFormat &wave =
            diagnostic.severity == Diagnostic::Severity::Error ? errorFormat_ : warningFormat_;
        const int end = qMin(diagnostic.column + diagnostic.length, int(text.size()));
        for (int column = diagnostic.column; column < end; ++column) {
            QTextCharFormat merged = format(column);
            merged.merge(wave);
            setFormat(column, 1, merged);
        }
    }
}
