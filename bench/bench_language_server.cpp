// The language server's costs, each the median of many runs measured alternately:
//  - a one-character didChange until its publishDiagnostics is written, in the
//    middle NPC of a script of 10,000 NPCs (100,000 lines) against a script of
//    one NPC of ten lines; a letter in a message, and a letter in a label that a
//    menu jumps to (two diagnostics come and go with it). "floor" is what the
//    protocol costs at least: reading the didChange's JSON and writing a
//    publishDiagnostics of the same size.
//  - a keystroke in a script with an error on each of its 50,000 lines: the
//    whole publication is written again.
//  - opening that 100,000-line script (didOpen until its first publishDiagnostics)
//    against what talewick-check does with the same file (read, decode, check,
//    report).
//  - an edit that changes what a function does to the conversation window (close
//    becomes return), from the change until every caller's findings are published,
//    the flow judged: a function called from 1,000 bodies against one called from
//    10, the callers in the function's own script and in ten other open scripts.
//
//   bench_language_server [RUNS]
#include "bench/bench_timing.h"
#include "check_tool/check_report.h"
#include "check_tool/gcc_format.h"
#include "common/code_page.h"
#include "language_server/server.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using BenchTiming::median;

const QString kUri = QStringLiteral("file:///bench/ferry.txt");

QString npc(int number)
{
    return QStringLiteral("harbor01.tsg,120,85,6\tscript\tFerryman%1\t56,{\n"
                          "\tmes \"[渡し守]\";\n"
                          "\tmes \"湖へ渡りますか？\";\n"
                          "\tnext;\n"
                          "\tmenu \"渡る\",L_Cross,\"やめる\",-;\n"
                          "\tclose;\n"
                          "L_Cross:\n"
                          "\twarp \"lakeside.tsg\",120,64;\n"
                          "\tclose;\n"
                          "}")
        .arg(number);
}

QByteArray framed(const QJsonObject &message)
{
    const QByteArray content = QJsonDocument(message).toJson(QJsonDocument::Compact);
    return "Content-Length: " + QByteArray::number(content.size()) + "\r\n\r\n" + content;
}

QJsonObject message(const QString &method, const QJsonObject &params, int id = 0)
{
    QJsonObject object{{QLatin1String("jsonrpc"), QLatin1String("2.0")},
                       {QLatin1String("method"), method},
                       {QLatin1String("params"), params}};
    if (id)
        object.insert(QLatin1String("id"), id);
    return object;
}

QJsonObject didOpen(const QString &text)
{
    return message(
        QStringLiteral("textDocument/didOpen"),
        {{QLatin1String("textDocument"), QJsonObject{{QLatin1String("uri"), kUri},
                                                     {QLatin1String("languageId"), QLatin1String("talewick")},
                                                     {QLatin1String("version"), 1},
                                                     {QLatin1String("text"), text}}}});
}

QJsonObject didChange(int version, int line, int character, int endCharacter, const QString &text)
{
    const auto position = [](int l, int c) {
        return QJsonObject{{QLatin1String("line"), l}, {QLatin1String("character"), c}};
    };
    const QJsonObject change{
        {QLatin1String("range"), QJsonObject{{QLatin1String("start"), position(line, character)},
                                             {QLatin1String("end"), position(line, endCharacter)}}},
        {QLatin1String("text"), text}};
    return message(QStringLiteral("textDocument/didChange"),
                   {{QLatin1String("textDocument"),
                     QJsonObject{{QLatin1String("uri"), kUri}, {QLatin1String("version"), version}}},
                    {QLatin1String("contentChanges"), QJsonArray{change}}});
}

// A server with `text` open, and what it last wrote.
struct Session
{
    explicit Session(const QString &text)
        : server({nullptr, QStringLiteral("bench")}, [this](const QByteArray &bytes) { written = bytes; })
    {
        server.receive(
            framed(message(QStringLiteral("initialize"), {{QLatin1String("capabilities"), QJsonObject()}}, 1)));
        server.receive(framed(message(QStringLiteral("initialized"), {})));
        server.receive(framed(didOpen(text)));
        server.idle();
    }
    // Microseconds from the change's bytes to its publishDiagnostics.
    double time(const QByteArray &change)
    {
        written.clear();
        QElapsedTimer timer;
        timer.start();
        server.receive(change);
        server.idle();
        const double elapsed = double(timer.nsecsElapsed()) / 1e3;
        if (!written.contains("publishDiagnostics"))
            std::fprintf(stderr, "bench_language_server: no diagnostics were published\n");
        return elapsed;
    }
    Lsp::Server server;
    QByteArray written;
};

// The least any server pays for one change: its JSON read, and a publication
// of `published` written.
double floorOf(const QByteArray &change, const QByteArray &published)
{
    QElapsedTimer timer;
    timer.start();
    const QByteArray content = change.mid(change.indexOf("\r\n\r\n") + 4);
    const QJsonObject read = QJsonDocument::fromJson(content).object();
    const QJsonObject reply = QJsonDocument::fromJson(published.mid(published.indexOf("\r\n\r\n") + 4)).object();
    QElapsedTimer write;
    const qint64 readTime = timer.nsecsElapsed();
    write.start();
    const QByteArray out = QJsonDocument(reply).toJson(QJsonDocument::Compact);
    const qint64 writeTime = write.nsecsElapsed();
    if (read.isEmpty() || out.isEmpty())
        std::fprintf(stderr, "bench_language_server: floor read nothing\n");
    return double(readTime + writeTime) / 1e3;
}

// Open scripts: the functions F_Hot and F_Cold, and NPCs calling them; an edit
// turns a function's close into return and back.
class CallerSession
{
public:
    // `hot` and `cold` bodies call each function; `files` scripts hold the callers,
    // or the functions' own script when 0.
    CallerSession(int hot, int cold, int files)
        : server_({nullptr, QStringLiteral("bench")}, [this](const QByteArray &bytes) { written_ += bytes.size(); })
    {
        server_.receive(
            framed(message(QStringLiteral("initialize"), {{QLatin1String("capabilities"), QJsonObject()}}, 1)));
        server_.receive(framed(message(QStringLiteral("initialized"), {})));
        QString functions = QStringLiteral("function\tscript\tF_Hot\t{\n\tmes \"hot\";\n\tclose;\n}\n"
                                           "function\tscript\tF_Cold\t{\n\tmes \"cold\";\n\tclose;\n}\n");
        QStringList callers;
        for (int i = 0; i < hot + cold; ++i)
            callers.append(QStringLiteral("prontera,150,150,4\tscript\tCaller%1\t4_F_01,{\n\tcallfunc \"%2\";\n"
                                          "\tend;\n}")
                               .arg(i)
                               .arg(i < hot ? QStringLiteral("F_Hot") : QStringLiteral("F_Cold")));
        if (files == 0) {
            open(functionsUri(), functions + callers.join(u'\n'));
        } else {
            open(functionsUri(), functions);
            // The hot callers spread over `files` scripts, the cold ones in a script of their own.
            const int each = (hot + files - 1) / files;
            for (int file = 0; file < files; ++file)
                open(QStringLiteral("file:///bench/hot%1.txt").arg(file), callers.mid(file * each, each).join(u'\n'));
            open(QStringLiteral("file:///bench/cold.txt"), callers.mid(hot).join(u'\n'));
        }
        settle();
    }

    // Microseconds from a change of the function on `line` until the callers' findings are written.
    double toggle(int line)
    {
        const bool closes = closes_.value(line, true);
        closes_[line] = !closes;
        const QJsonObject change{
            {QLatin1String("range"),
             QJsonObject{{QLatin1String("start"), QJsonObject{{QLatin1String("line"), line}, {QLatin1String("character"), 1}}},
                         {QLatin1String("end"), QJsonObject{{QLatin1String("line"), line},
                                                            {QLatin1String("character"), closes ? 7 : 8}}}}},
            {QLatin1String("text"), closes ? QStringLiteral("return;") : QStringLiteral("close;")}};
        const QByteArray bytes = framed(message(
            QStringLiteral("textDocument/didChange"),
            {{QLatin1String("textDocument"), QJsonObject{{QLatin1String("uri"), functionsUri()}, {QLatin1String("version"), ++version_}}},
             {QLatin1String("contentChanges"), QJsonArray{change}}}));
        written_ = 0;
        const double elapsed = BenchTiming::timeOnce([&] {
            server_.receive(bytes);
            settle();
        });
        if (written_ == 0)
            std::fprintf(stderr, "bench_language_server: the edit published nothing\n");
        return elapsed;
    }

private:
    static QString functionsUri() { return QStringLiteral("file:///bench/functions.txt"); }
    void open(const QString &uri, const QString &text)
    {
        server_.receive(framed(message(
            QStringLiteral("textDocument/didOpen"),
            {{QLatin1String("textDocument"), QJsonObject{{QLatin1String("uri"), uri}, {QLatin1String("languageId"), QLatin1String("talewick")},
                                                         {QLatin1String("version"), 1}, {QLatin1String("text"), text}}}})));
    }
    void settle()
    {
        while (server_.idle()) {
        }
        server_.judgeFlow();
        while (server_.idle()) {
        }
    }

    Lsp::Server server_;
    qsizetype written_ = 0;
    int version_ = 1;
    QHash<int, bool> closes_;
};

void benchFunctionEdits(int runs)
{
    std::printf("\n| close becomes return in a function, until its callers' findings | called from 1,000 bodies "
                "| from 10 | ratio |\n");
    std::printf("|---|---|---|---|\n");
    for (const int files : {0, 10}) {
        CallerSession session(1000, 10, files);
        std::vector<double> hot, cold;
        // Each function is turned back before the other is edited: the other's callers
        // then publish no findings of the first.
        for (int run = 0; run < std::max(5, runs / 10); ++run) {
            for (const int line : {2, 2, 6, 6})
                (line == 2 ? hot : cold).push_back(session.toggle(line));
        }
        const double h = median(hot), c = median(cold);
        std::printf("| callers %s | %.1f ms | %.1f ms | %.1f |\n",
                    files == 0 ? "in the function's script" : "in 10 other scripts (the cold ones in an 11th)",
                    h / 1e3, c / 1e3, h / c);
    }
}

struct Keystroke
{
    const char *name;
    int line;      // within the NPC
    int character; // where the letter goes
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 300;

    QStringList npcs;
    for (int i = 0; i < 10000; ++i)
        npcs.append(npc(i));
    const QString longText = npcs.join(u'\n');
    const QString shortText = npc(0);
    const int middle = 5000 * 10;

    std::printf("| keystroke until its diagnostics, 100,000 lines vs 10 | 100,000 | 10 | ratio | floor | target |\n");
    std::printf("|---|---|---|---|---|---|\n");
    for (const Keystroke &keystroke : {Keystroke{"letter in a message", 2, 6}, Keystroke{"letter in a label", 6, 7}}) {
        Session longSession(longText);
        Session shortSession(shortText);
        std::vector<double> longTimes, shortTimes, floors;
        int version = 1;
        for (int run = 0; run < runs; ++run) {
            // The letter, then Backspace, so that every run starts from the same text.
            for (const bool typed : {true, false}) {
                ++version;
                const int from = keystroke.character;
                const int to = typed ? from : from + 1;
                const QString text = typed ? QStringLiteral("a") : QString();
                const QByteArray longChange = framed(didChange(version, middle + keystroke.line, from, to, text));
                const QByteArray shortChange = framed(didChange(version, keystroke.line, from, to, text));
                longTimes.push_back(longSession.time(longChange));
                shortTimes.push_back(shortSession.time(shortChange));
                floors.push_back(floorOf(shortChange, shortSession.written));
            }
        }
        const double l = median(longTimes), s = median(shortTimes);
        std::printf("| %s | %.1f us | %.1f us | %.2f | %.1f us | <= 1.5 |\n", keystroke.name, l, s, l / s,
                    median(floors));
    }

    {
        QStringList lines{QStringLiteral("harbor01.tsg,120,85,6\tscript\tErrors\t56,{")};
        for (int i = 0; i < 50000; ++i)
            lines.append(QStringLiteral("\tmez \"x\";"));
        lines.append(QStringLiteral("}"));
        Session session(lines.join(u'\n'));
        std::vector<double> times;
        int version = 1;
        for (int run = 0; run < std::max(3, runs / 30); ++run) {
            for (const bool typed : {true, false}) {
                const QString text = typed ? QStringLiteral("a") : QString();
                times.push_back(session.time(framed(didChange(++version, 25000, 6, typed ? 6 : 7, text))));
            }
        }
        std::printf("\n| keystroke, an error on each of 50,000 lines | until its diagnostics | published |\n");
        std::printf("|---|---|---|\n");
        std::printf("| letter in a message | %.1f ms | %.1f MB |\n", median(times) / 1e3, session.written.size() / 1e6);
    }

    // Opening the long script against talewick-check's work on the same file.
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("ferry.txt"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write(CodePage932::encode(QString(longText).replace(u'\n', QStringLiteral("\r\n"))));
    }
    const QByteArray open = framed(didOpen(longText));
    std::vector<double> openTimes, toolTimes;
    const int openRuns = std::max(3, runs / 30);
    for (int run = 0; run < openRuns; ++run) {
        QByteArray written;
        Lsp::Server server({nullptr, QStringLiteral("bench")}, [&](const QByteArray &bytes) { written = bytes; });
        server.receive(
            framed(message(QStringLiteral("initialize"), {{QLatin1String("capabilities"), QJsonObject()}}, 1)));
        QElapsedTimer timer;
        timer.start();
        server.receive(open);
        server.idle();
        openTimes.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (!written.contains("publishDiagnostics"))
            std::fprintf(stderr, "bench_language_server: the open published nothing\n");

        timer.restart();
        const CheckReport::FileResult result = CheckReport::checkFile(path, Commands::Table::builtIn());
        const QString report = GccFormat::report(result);
        toolTimes.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (!result.failure.isEmpty())
            std::fprintf(stderr, "bench_language_server: %s\n", qPrintable(result.failure));
    }
    const double o = median(openTimes), t = median(toolTimes);
    std::printf(
        "\n| open 100,000 lines (%d runs) | didOpen to diagnostics | talewick-check's work | ratio | target |\n",
        openRuns);
    std::printf("|---|---|---|---|---|\n");
    std::printf("| %.1f MB of JSON, %.1f MB on disk | %.1f ms | %.1f ms | %.2f | <= 1.3 |\n", open.size() / 1e6,
                double(QFileInfo(path).size()) / 1e6, o, t, o / t);
    benchFunctionEdits(runs);
    return 0;
}
