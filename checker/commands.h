#pragma once

#include <QStringView>

// The commands a body line may hold and the arguments each takes. A new command is
// one row in the table of commands.cpp. Words not in the table are left unchecked:
// the server knows more commands than the buttons write.
namespace Commands {

// One letter per argument, in order:
//   S  a string in double quotes
//   V  a value: a number, a name or an expression; only its presence is checked
//   L  a label to jump to
//   M  the choices of a menu: "text",label pairs, any number of them
struct Command
{
    QStringView word;
    QStringView arguments;
};

// The command named `word`, or nullptr.
const Command *find(QStringView word);
// The command named `word` in other letter case ("Mes" for "mes"), or nullptr.
const Command *findIgnoringCase(QStringView word);

} // namespace Commands
