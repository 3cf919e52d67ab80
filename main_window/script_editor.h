#pragma once

#include <QPlainTextEdit>

// The script editor. Every line break in it is a real one, whatever key or paste
// made it: the toolkit's own editor puts a line separator (U+2028) inside the line
// for Shift+Enter, which shows as a new line but is one line to the buttons and a
// character the code page cannot hold to the save.
class ScriptEditor : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit ScriptEditor(QWidget *parent = nullptr);

    // `text` with every line or paragraph separator turned into a line break.
    static QString withLineBreaks(QString text);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;
};
