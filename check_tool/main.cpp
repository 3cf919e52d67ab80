#include "check_tool/check_report.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

constexpr char16_t kUsage[] = u"使い方: talewick-check [--help] FILE...\n"
                              u"\n"
                              u"Talewick の NPC スクリプト（Shift_JIS のテキスト）を調べ、ゲームサーバーが読み込みを\n"
                              u"拒む誤りや、選択肢を選んだときに初めて分かる誤りを知らせます:\n"
                              u"  { と } の対応、閉じていない \"、行末の ; 、閉じていないメニュー、\n"
                              u"  メニューの飛び先のラベル（無い・重複・長すぎ・使われない）、\n"
                              u"  NPC と Shop の見出しの欄、Shift_JIS で保存できない文字。\n"
                              u"\n"
                              u"見つけたものを、エディタや CI が読める次の形で1行ずつ標準出力に書きます:\n"
                              u"  FILE:LINE:COLUMN: error: メッセージ\n"
                              u"  FILE:LINE:COLUMN: warning: メッセージ\n"
                              u"行と桁は1から数え、桁は文字単位（タブも1文字）です。\n"
                              u"\n"
                              u"終了コード:\n"
                              u"  0  error がなかった（warning だけなら 0）\n"
                              u"  1  error があった\n"
                              u"  2  使い方の誤り、または読めないファイルがあった\n"
                              u"\n"
                              u"例: talewick-check npc/*.txt || exit 1\n";

void print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QStringList files;
    bool optionsEnd = false;
    for (const QString &argument : application.arguments().mid(1)) {
        if (!optionsEnd && (argument == u"--help" || argument == u"-h")) {
            print(stdout, QString::fromUtf16(kUsage));
            return 0;
        }
        if (!optionsEnd && argument == u"--") {
            optionsEnd = true;
        } else if (!optionsEnd && argument.startsWith(u'-') && argument.size() > 1) {
            print(stderr, QStringLiteral("talewick-check: 知らないオプションです: %1\n"
                                         "使い方は talewick-check --help で見られます。\n")
                              .arg(argument));
            return 2;
        } else {
            files.append(argument);
        }
    }
    if (files.isEmpty()) {
        print(stderr, QStringLiteral("talewick-check: 調べるファイルを指定してください。\n"
                                     "使い方は talewick-check --help で見られます。\n"));
        return 2;
    }
    bool errors = false;
    bool unreadable = false;
    for (const QString &file : files) {
        const CheckReport::FileResult result = CheckReport::checkFile(file);
        if (!result.failure.isEmpty()) {
            print(stderr, QStringLiteral("talewick-check: %1\n").arg(result.failure));
            unreadable = true;
            continue;
        }
        print(stdout, result.report);
        errors = errors || result.errors > 0;
    }
    std::fflush(stdout);
    return unreadable ? 2 : errors ? 1 : 0;
}
