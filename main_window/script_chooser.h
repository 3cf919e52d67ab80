#pragma once

#include <QString>

class QWidget;

// The file choosers of File > "開く…" and "名前を付けて保存…". Scripts are text
// files: the chooser shows "*.txt", and a name typed without an extension gets ".txt".
namespace ScriptChooser {

// The script the user chose to open, starting in `folder`; empty when cancelled.
QString toOpen(QWidget *parent, const QString &folder);

// Where the user chose to save, starting at `proposal` (a folder, or a file in
// one); empty when cancelled. An existing file is chosen only after the chooser's
// own question whether to replace it.
QString toSaveAs(QWidget *parent, const QString &proposal);

} // namespace ScriptChooser
