#pragma once

#include "checker/body_form.h"
#include "checker/diagnostic.h"
#include "checker/rules.h"
#include "checker/script_check.h"
#include "common/code_page.h"

#include <QDir>
#include <QFile>
#include <QStringList>

// The '{' of this header is at line 1, column 24 (from 1).
inline const QString kHeader = QStringLiteral("m.tsg,1,2,0\tscript\tA\t1,{");

// An NPC holding `body`, which starts at line 2; the closing brace follows it.
inline QString npc(const QString &body)
{
    return kHeader + u'\n' + body + QStringLiteral("\n}");
}

// "LINE:COLUMN CODE", both from 1: what a test asserts on, never the message.
inline QString described(const Diagnostic &d)
{
    return QStringLiteral("%1:%2 %3").arg(d.line + 1).arg(d.column + 1).arg(d.code);
}

inline QStringList described(const Diagnostics &found)
{
    QStringList lines;
    for (const Diagnostic &d : found)
        lines << described(d);
    return lines;
}

// Only the errors, for scripts that may hold warnings.
inline QStringList describedErrors(const Diagnostics &found)
{
    QStringList lines;
    for (const Diagnostic &d : found) {
        if (d.severity == Diagnostic::Severity::Error)
            lines << described(d);
    }
    return lines;
}

// The lines of a script in code page 932 with CR LF line ends.
inline QStringList linesOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return CodePage932::decode(file.readAll()).split(QStringLiteral("\r\n"));
}

// The hand-written scripts that the server loads and runs without a word.
inline QStringList validScripts()
{
    const QDir folder(QStringLiteral(TALEWICK_SCRIPTS "/valid"));
    QStringList paths;
    for (const QString &name : folder.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name))
        paths << folder.filePath(name);
    return paths;
}

// The hand-written scripts that today's servers load and run without a word.
inline QStringList validTodayScripts()
{
    const QDir folder(QStringLiteral(TALEWICK_SCRIPTS "/valid-today"));
    QStringList paths;
    for (const QString &name : folder.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name))
        paths << folder.filePath(name);
    return paths;
}

// Whether a row's expected findings ("2:7 TW206") hold an error.
inline bool expectsAnError(const QStringList &expected)
{
    for (const QString &finding : expected) {
        const Rules::Row *rule = Rules::find(finding.section(u' ', -1));
        if (rule && rule->severity == Diagnostic::Severity::Error)
            return true;
    }
    return false;
}

// The first statement of `script` that the conversation preview cannot run, as the
// stop it would show; empty when the preview reads every body whole.
inline QString firstPreviewStop(const QString &script)
{
    ScriptCheck check;
    check.replaceLines(0, 0, script.split(u'\n'));
    for (int line = 0; line < check.lineCount(); ++line) {
        if (check.bodyAround(line).first != line || !check.definitionOn(line))
            continue;
        const std::shared_ptr<const BodyForm::Body> body = BodyForm::read(check, line);
        for (const BodyForm::Instruction &in : body->code) {
            if (in.op == BodyForm::Instruction::Op::Stop)
                return in.message;
        }
    }
    return {};
}
