// The rules of the code page: a character the file cannot be saved with, checked
// as the editor reads a line, and bytes that are not Shift_JIS (or not the
// encoding talewick-check is told to read, which the messages name), which only
// talewick-check sees, since it alone reads the file's bytes. Bytes in comments
// and strings are one warning per file, on its first such line.
#include "checker/rule_examples.h"
#include "checker/rule_tables.h"
#include "checker/rules.h"

namespace {

using Severity = Diagnostic::Severity;

constexpr RuleDeclaration kCodePageRules[] = {
    {Rule::Unencodable, u"TW401", Severity::Error, u"文字「%1」(%2) は Shift_JIS で保存できません",
     u"Shift_JIS で保存できない文字", u"Shift_JIS で表せない文字（絵文字、ハングル、一部の記号など）があります。",
     u"スクリプトは Shift_JIS で保存するため、この文字は保存できません。サーバーにも届きません。",
     EXAMPLE_NPC u"\tmes \"ようこそ😀\";\n\tclose;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tmes \"ようこそ★\";\n\tclose;\n" EXAMPLE_END},
    {Rule::Undecodable, u"TW402", Severity::Error, u"%1 として読めないバイトがあります",
     u"Shift_JIS として読めないバイト",
     u"ファイルに Shift_JIS として読めないバイトがあります。別の文字コード（UTF-8 など）で保存したときによく起きます。"
     u"例の〔FF〕は、そのバイトを表します。",
     u"サーバーは名前や命令を読み違え、NPCを読み込まないか、別の名前で登録します。ファイルを Shift_JIS "
     u"で保存し直します。",
     u"harbor01.tsg,150,120,4\tscript\t案内〔FF〕\t56,{\n\tclose;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tclose;\n" EXAMPLE_END},
    {Rule::UndecodableInText, u"TW403", Severity::Warning,
     u"注釈か文字列の中に %1 として読めないバイトがあります（このファイルで %2 行。文字列ならそのまま表示されます）",
     u"注釈や文字列の中の Shift_JIS でないバイト",
     u"注釈か文字列の中に、Shift_JIS（--encoding で別の文字コードを指定したときはその文字コード）として読めないバイトが"
     u"あります。ファイルごとに、最初の行で一度だけ、そのような行の数とともに知らせます。例の〔FF〕は、そのバイトを表し"
     u"ます。",
     u"注釈はサーバーが読まないので害はありません。文字列ならそのままプレイヤーに表示され、文字化けします。",
     EXAMPLE_NPC u"\tmes \"ようこそ〔FF〕\";\n\tclose;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tmes \"ようこそ\";\n\tclose;\n" EXAMPLE_END},
};

static_assert(RuleDeclarations::areSound(kCodePageRules), "each rule declared once, with a code and a whole page");

} // namespace

RuleTable RuleTables::codePage()
{
    return tableOf(kCodePageRules);
}
