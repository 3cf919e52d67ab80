#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QStringList>

// A command-line program run as a build script runs it, for the tests of talewick-check.
struct ToolRun
{
    int exitCode = -1; // -1 when it crashed or did not finish
    QString out;
    QString err;
};

// Runs `program` with `arguments` in `folder` and waits for it, 20 seconds at most.
inline ToolRun runProgram(const QString &program, const QStringList &arguments, const QString &folder)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    ToolRun run;
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        run.err = QStringLiteral("(did not finish)");
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// Writes `bytes` to the file at `path`, its folders made first.
inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
