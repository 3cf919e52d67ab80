#pragma once

class QPlainTextEdit;
class ScriptHighlighter;

// Resting the mouse on a wavy underline in the script editor shows what is wrong there.
void showDiagnosticsOnHover(QPlainTextEdit *editor, const ScriptHighlighter *highlighter);
