#include "check_tool/check_report.h"

#include "checker/rules.h"
#include "common/failure.h"
#include "language_server/standard_streams.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

constexpr char16_t kUsage[] =
    u"使い方: talewick-check [--commands 命令表] FILE|FOLDER...\n"
    u"        talewick-check --lsp [--commands 命令表]\n"
    u"\n"
    u"NPC スクリプト（Shift_JIS のテキスト）を調べ、ゲームサーバーが読み込みを拒む誤りや、\n"
    u"プレイヤーが選んだときに初めて分かる誤り（無いラベルへ飛ぶメニューなど）を知らせます。\n"
    u"フォルダを渡すと、その下の .txt をすべて調べます。callfunc で呼ぶ関数が、一緒に調べた\n"
    u"どのファイルにも定義されていなければ warning にします。\n"
    u"\n"
    u"見つけたものを、エディタや CI が読める次の形で1行ずつ標準出力に書きます:\n"
    u"  FILE:LINE:COLUMN: error: メッセージ [TW101]\n"
    u"  FILE:LINE:COLUMN: warning: メッセージ [TW104]\n"
    u"行と桁は1から数え、桁は文字単位（タブも1文字）です。\n"
    u"\n"
    u"オプション:\n"
    u"  --commands FILE  サーバー独自の命令を、命令表と同じ形（命令<TAB>最小<TAB>最大<TAB>引数）で加える\n"
    u"  --lsp            Language Server Protocol のサーバーとして標準入出力で話す（エディタから使う）\n"
    u"  -h, --help       この説明を表示する\n"
    u"  --version        版を表示する\n"
    u"\n"
    u"終了コード:\n"
    u"  0  error がなかった（warning だけなら 0）\n"
    u"  1  error があった\n"
    u"  2  使い方の誤り、または読めないファイルがあった\n"
    u"\n";

void print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

QString help()
{
    QString text = QString::fromUtf16(kUsage) + QStringLiteral("規則（コードと意味）:\n");
    for (const Rules::Row *row = Rules::begin(); row != Rules::end(); ++row) {
        const bool error = row->severity == Diagnostic::Severity::Error;
        text += QStringLiteral("  %1  %2  %3\n")
                    .arg(QString::fromUtf16(row->code), error ? QStringLiteral("error  ") : QStringLiteral("warning"),
                         QString::fromUtf16(row->summary));
    }
    text += QStringLiteral("\n例: talewick-check npc/ || exit 1\n");
    return text;
}

int usageMistake(const QString &what)
{
    print(stderr, QStringLiteral("talewick-check: %1\n使い方は talewick-check --help で見られます。\n").arg(what));
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption commandsOption(QStringLiteral("commands"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption versionOption(QStringLiteral("version"), QString());
    const QCommandLineOption lspOption(QStringLiteral("lsp"), QString());
    parser.addOption(helpOption);
    parser.addOption(lspOption);
    parser.addOption(versionOption);
    parser.addOption(commandsOption);
    parser.addPositionalArgument(QStringLiteral("FILE"), QString());
    if (!parser.parse(application.arguments())) {
        const QStringList unknown = parser.unknownOptionNames();
        return usageMistake(unknown.isEmpty()
                                ? parser.errorText()
                                : QStringLiteral("知らないオプションです: %1")
                                      .arg(unknown.front().size() == 1 ? u'-' + unknown.front()
                                                                       : QStringLiteral("--") + unknown.front()));
    }
    if (parser.isSet(helpOption)) {
        print(stdout, help());
        return 0;
    }
    if (parser.isSet(versionOption)) {
        print(stdout, QStringLiteral("talewick-check %1\n").arg(QStringLiteral(TALEWICK_VERSION)));
        return 0;
    }
    std::shared_ptr<const Commands::Table> commands;
    try {
        commands = Commands::withFile(parser.value(commandsOption));
    } catch (const Failure &failure) {
        return usageMistake(failure.message());
    }
    if (parser.isSet(lspOption)) {
        if (!parser.positionalArguments().isEmpty())
            return usageMistake(QStringLiteral("--lsp はファイルを取りません（エディタが開いたものを調べます）。"));
        // Without --commands, the server looks for the workspace's commands.tsv.
        return Lsp::serveStandardStreams(
            {parser.isSet(commandsOption) ? commands : nullptr, QStringLiteral(TALEWICK_VERSION)});
    }
    QStringList files;
    for (const QString &argument : parser.positionalArguments()) {
        if (QFileInfo(argument).isDir())
            files += CheckReport::scriptsUnder(argument);
        else
            files.append(argument);
    }
    if (parser.positionalArguments().isEmpty())
        return usageMistake(QStringLiteral("調べるファイルを指定してください。"));

    // Files are checked side by side on every core; the report keeps their order.
    QVector<CheckReport::FileResult> checked(files.size());
    std::atomic<qsizetype> next{0};
    const auto work = [&] {
        for (qsizetype i = next++; i < files.size(); i = next++) {
            CheckReport::FileResult result = CheckReport::checkFile(files.at(i), commands);
            // The lines are kept only for the columns of what was found.
            if (result.diagnostics.isEmpty() && result.functionCalls.isEmpty()) {
                result.lines.clear();
                result.text.clear();
            }
            checked[i] = std::move(result);
        }
    };
    std::vector<std::thread> workers;
    const int threads = std::clamp(QThread::idealThreadCount(), 1, 16);
    for (int i = 1; i < threads && i < files.size(); ++i)
        workers.emplace_back(work);
    work();
    for (std::thread &worker : workers)
        worker.join();

    QVector<CheckReport::FileResult> results;
    results.reserve(files.size());
    bool unreadable = false;
    for (CheckReport::FileResult &result : checked) {
        if (!result.failure.isEmpty()) {
            print(stderr, QStringLiteral("talewick-check: %1\n").arg(result.failure));
            unreadable = true;
            continue;
        }
        results.append(std::move(result));
    }
    CheckReport::checkFunctionsAcross(results);
    bool errors = false;
    for (const CheckReport::FileResult &result : std::as_const(results)) {
        int found = 0;
        print(stdout, CheckReport::report(result, &found));
        errors = errors || found > 0;
    }
    std::fflush(stdout);
    return unreadable ? 2 : errors ? 1 : 0;
}
