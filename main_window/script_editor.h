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

    // The one script file (a local file ending in ".txt") that `source` carries,
    // or an empty text: dragged text, or several files, are no script to open.
    static QString scriptFileIn(const QMimeData &source);

signals:
    // A script file was dropped onto the editor; the editor's text is unchanged.
    void scriptFileDropped(const QString &path);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
};
