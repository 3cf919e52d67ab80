#include "check_tool/options.h"

#include "checker/rules.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace CheckOptions {

namespace {

constexpr char16_t kUsage[] =
    u"使い方: talewick-check [オプション] FILE|FOLDER...\n"
    u"        talewick-check --explain TWnnn\n"
    u"        talewick-check --lsp [--commands 命令表]\n"
    u"\n"
    u"NPC スクリプト（Shift_JIS のテキスト）を調べ、ゲームサーバーが読み込みを拒む誤りや、\n"
    u"プレイヤーが選んだときに初めて分かる誤り（無いラベルへ飛ぶメニューなど）を知らせます。\n"
    u"フォルダを渡すと、その下の .txt をすべて調べます。callfunc で呼ぶ関数が、一緒に調べた\n"
    u"どのファイルにも定義されていなければ、またプレイヤー変数（@名前）を読んでいるのに\n"
    u"どのファイルでも値を入れていなければ warning にします。\n"
    u"\n"
    u"見つけたものを、エディタや CI が読める次の形で1行ずつ標準出力に書きます:\n"
    u"  FILE:LINE:COLUMN: error: メッセージ [TW101]\n"
    u"  FILE:LINE:COLUMN: warning: メッセージ [TW104]\n"
    u"  FILE:LINE:COLUMN: note: 同じ誤りにかかわる場所（窓が開いた所、通った道筋など）\n"
    u"行と桁は1から数え、桁は文字単位（タブも1文字）です。\n"
    u"\n"
    u"オプション:\n"
    u"  --commands FILE       命令表に命令を加える: 命令表と同じ形（命令<TAB>最小<TAB>最大<TAB>引数）か、\n"
    u"                        サーバーが命令を定義するソースファイル（BUILDIN_DEF(...) などの行）\n"
    u"  --server DIR          ゲームサーバーのフォルダを読み、そのマップ・アイテム・モンスター・定数で調べる\n"
    u"                        （TW601〜TW605）。命令はそのソースから、対象はその系統から取る\n"
    u"  --verbose             読んだサーバーのフォルダの中身を1行で標準エラーに書く\n"
    u"  --encoding NAME       ファイルをこの文字コードで読む（既定は Shift_JIS〔コードページ 932〕。例: "
    u"utf-8、EUC-JP）。\n"
    u"                        読めないバイトは TW402/TW403 になる。--fix とは一緒に使えない\n"
    u"  --target TARGET       このサーバー向けに調べる: older、later、today、today-strict、today-anycase\n"
    u"                        （既定はすべてのサーバー。どのサーバーも拒むものだけが error）\n"
    u"  --flag NAME           条件付きコメント（/*@NAME ... //@*/）のフラグを立てる。!NAME か -NAME で下ろす。\n"
    u"                        何度でも書ける\n"
    u"  --disable CODES       このコードを報告しない（「,」で区切る。例: --disable TW210,TW104）\n"
    u"  --severity LEVEL      報告する最も低い重さ: warning（既定）か error\n"
    u"  --format FORMAT       出力の形: gcc（既定、上の形）、json、sarif（SARIF 2.1.0）\n"
    u"  --fix                 確かな直し方を、patch -p1 で当てられる unified diff で書く（ファイルは変えない）\n"
    u"  --explain TWnnn       規則の説明（意味、サーバーの動き、誤りの例と直した例）を表示する\n"
    u"  --lsp                 Language Server Protocol のサーバーとして標準入出力で話す（エディタから使う）\n"
    u"  -h, --help            この説明を表示する\n"
    u"  --version             版を表示する\n"
    u"\n"
    u"調べるスクリプトのフォルダか、その上のフォルダに talewick-check.ini があれば、いちばん近いものを読みます\n"
    u"（target、server、commands、disable、severity、encoding、flags。コマンドラインの指定が優先）。\n"
    u"\n"
    u"終了コード:\n"
    u"  0  error がなかった（warning だけなら 0。--disable で外したコードは数えない）\n"
    u"  1  error があった（--severity で表示を隠しても同じ）\n"
    u"  2  使い方の誤り、または読めないファイルがあった\n"
    u"\n";

// The codes of comma lists, upper case; false and the word when one is no rule's code.
bool readCodes(const QStringList &lists, QStringList &codes, QString &unknown)
{
    for (const QString &list : lists) {
        for (const QString &piece : list.split(u',', Qt::SkipEmptyParts)) {
            const QString code = piece.trimmed().toUpper();
            if (code.isEmpty())
                continue;
            if (!Rules::find(code)) {
                unknown = piece.trimmed();
                return false;
            }
            if (!codes.contains(code))
                codes.append(code);
        }
    }
    return true;
}

QString unknownOptionText(const QCommandLineParser &parser)
{
    const QStringList unknown = parser.unknownOptionNames();
    if (unknown.isEmpty())
        return parser.errorText();
    const QString name = unknown.front();
    return QStringLiteral("知らないオプションです: %1")
        .arg(name.size() == 1 ? u'-' + name : QStringLiteral("--") + name);
}

bool readEncoding(const QCommandLineParser &parser, Options &options, QString &mistake)
{
    if (!parser.isSet(QStringLiteral("encoding")))
        return true;
    const QString name = parser.value(QStringLiteral("encoding"));
    const std::optional<ScriptEncoding> encoding = ScriptEncoding::named(name);
    if (!encoding) {
        mistake = QStringLiteral("--encoding の「%1」は知らない文字コードです。").arg(name);
        return false;
    }
    options.encoding = *encoding;
    return true;
}

// --target and every --flag.
bool readTarget(const QCommandLineParser &parser, Options &options, QString &mistake)
{
    if (parser.isSet(QStringLiteral("target"))) {
        const QString name = parser.value(QStringLiteral("target"));
        const std::optional<Target> target = Target::fromName(name);
        if (!target || name.trimmed().isEmpty()) {
            mistake = QStringLiteral("--target は older、later、today、today-strict、today-anycase のどれかです"
                                     "（「%1」ではなく）。")
                          .arg(name);
            return false;
        }
        options.target = target->servers();
    }
    Target check;
    for (const QString &flag : parser.values(QStringLiteral("flag"))) {
        if (!check.setFlag(flag)) {
            mistake =
                QStringLiteral("--flag の「%1」はフラグの名前ではありません（英大文字で始まる3文字以上の英大文字、"
                               "数字、_）。")
                    .arg(flag);
            return false;
        }
        options.flags.append(flag);
    }
    return true;
}

// The values that need checking; false and `mistake` set for the first wrong one.
bool readValues(const QCommandLineParser &parser, Options &options, QString &mistake)
{
    QString unknown;
    QStringList disabled;
    if (!readCodes(parser.values(QStringLiteral("disable")), disabled, unknown)) {
        mistake = QStringLiteral("--disable の「%1」は規則のコードではありません。").arg(unknown);
        return false;
    }
    options.disabled = QSet<QString>(disabled.cbegin(), disabled.cend());
    if (!readCodes(parser.values(QStringLiteral("explain")), options.explain, unknown)) {
        mistake = QStringLiteral("--explain の「%1」は規則のコードではありません。").arg(unknown);
        return false;
    }
    const QString severity = parser.value(QStringLiteral("severity"));
    if (!severity.isEmpty() && severity != u"error" && severity != u"warning") {
        mistake = QStringLiteral("--severity は error か warning です（「%1」ではなく）。").arg(severity);
        return false;
    }
    options.lowest = severity == u"error" ? Diagnostic::Severity::Error : Diagnostic::Severity::Warning;
    const QString format = parser.value(QStringLiteral("format"));
    if (!format.isEmpty() && format != u"gcc" && format != u"json" && format != u"sarif") {
        mistake = QStringLiteral("--format は gcc、json、sarif のどれかです（「%1」ではなく）。").arg(format);
        return false;
    }
    options.format = format == u"json" ? Format::Json : format == u"sarif" ? Format::Sarif : Format::Gcc;
    return readEncoding(parser, options, mistake) && readTarget(parser, options, mistake);
}

// Options that make no sense together, or without the files they act on.
bool checkCombination(const QCommandLineParser &parser, const Options &options, QString &mistake)
{
    const bool reportOptions = parser.isSet(QStringLiteral("format")) || parser.isSet(QStringLiteral("severity")) ||
                               parser.isSet(QStringLiteral("disable")) || options.fix;
    if (options.lsp && (reportOptions || !options.explain.isEmpty()))
        mistake = QStringLiteral("--lsp とは --commands、--target、--flag、--encoding のほかのオプションを一緒に使えません。");
    else if (options.lsp && !options.paths.isEmpty())
        mistake = QStringLiteral("--lsp はファイルを取りません（エディタが開いたものを調べます）。");
    else if (!options.explain.isEmpty() && !options.paths.isEmpty())
        mistake = QStringLiteral("--explain はファイルを取りません。");
    else if (options.fix && parser.isSet(QStringLiteral("format")))
        mistake = QStringLiteral("--fix は diff を書くので、--format とは一緒に使えません。");
    // The diff keeps each line's own bytes around the fix, which it finds by code page 932's byte lengths.
    else if (options.fix && parser.isSet(QStringLiteral("encoding")))
        mistake = QStringLiteral("--fix は Shift_JIS のファイルだけを直すので、--encoding とは一緒に使えません。");
    else if (!options.lsp && options.explain.isEmpty() && options.paths.isEmpty())
        mistake = QStringLiteral("調べるファイルを指定してください。");
    return mistake.isEmpty();
}

// --server: a folder that is there.
bool readServer(const QCommandLineParser &parser, Options &options, QString &mistake)
{
    if (!parser.isSet(QStringLiteral("server")))
        return true;
    options.serverFolder = parser.value(QStringLiteral("server"));
    // The language server takes the folder from the editor's settings or the project file.
    if (options.lsp)
        mistake = QStringLiteral("--lsp では --server を使えません。エディタの設定 talewick.server か、"
                                 "talewick-check.ini の server で指定してください。");
    else if (!QFileInfo(options.serverFolder).isDir())
        mistake = QStringLiteral("--server の「%1」はフォルダではありません。").arg(options.serverFolder);
    return mistake.isEmpty();
}

} // namespace

bool parse(const QStringList &arguments, Options &options, QString &mistake)
{
    QCommandLineParser parser;
    const auto valued = [](const char16_t *name, const char16_t *value) {
        return QCommandLineOption(QString::fromUtf16(name), QString(), QString::fromUtf16(value));
    };
    parser.addOptions({QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")}, QString()),
                       QCommandLineOption(QStringLiteral("version"), QString()),
                       QCommandLineOption(QStringLiteral("lsp"), QString()),
                       QCommandLineOption(QStringLiteral("fix"), QString()), valued(u"commands", u"FILE"),
                       valued(u"encoding", u"NAME"), valued(u"disable", u"CODES"), valued(u"severity", u"LEVEL"),
                       valued(u"format", u"FORMAT"), valued(u"explain", u"CODE"), valued(u"target", u"TARGET"),
                       valued(u"flag", u"NAME")});
    parser.addOptions({valued(u"server", u"DIR"), QCommandLineOption(QStringLiteral("verbose"), QString())});
    parser.addPositionalArgument(QStringLiteral("FILE"), QString());
    if (!parser.parse(arguments)) {
        mistake = unknownOptionText(parser);
        return false;
    }
    options.help = parser.isSet(QStringLiteral("help"));
    options.version = parser.isSet(QStringLiteral("version"));
    if (options.help || options.version)
        return true;
    options.lsp = parser.isSet(QStringLiteral("lsp"));
    options.fix = parser.isSet(QStringLiteral("fix"));
    options.commandsGiven = parser.isSet(QStringLiteral("commands"));
    options.commandsPath = parser.value(QStringLiteral("commands"));
    options.verbose = parser.isSet(QStringLiteral("verbose"));
    if (!readServer(parser, options, mistake))
        return false;
    options.paths = parser.positionalArguments();
    return readValues(parser, options, mistake) && checkCombination(parser, options, mistake);
}

QString help()
{
    QString text = QString::fromUtf16(kUsage) + QStringLiteral("規則（コードと意味。詳しくは --explain コード）:\n");
    for (const Rules::Row *row = Rules::begin(); row != Rules::end(); ++row) {
        const bool error = row->severity == Diagnostic::Severity::Error;
        text += QStringLiteral("  %1  %2  %3\n")
                    .arg(QString::fromUtf16(row->code), error ? QStringLiteral("error  ") : QStringLiteral("warning"),
                         QString::fromUtf16(row->summary));
    }
    text += QStringLiteral("\n例: talewick-check npc/ || exit 1\n"
                           "    talewick-check --target today npc/\n"
                           "    talewick-check --format sarif npc/ > talewick.sarif\n"
                           "    talewick-check --fix npc/ > fixes.diff && patch -p1 < fixes.diff\n");
    return text;
}

} // namespace CheckOptions
