// Prints a SARIF log whose results have related places and fixes, which the
// sample scripts may not give, for the schema check to read.
#include "check_tool/sarif_format.h"
#include "checker/rules.h"

#include <cstdio>

int main()
{
    CheckReport::FileResult file;
    file.fileName = QStringLiteral("npc/港 町.txt");
    file.lines = QStringList{QStringLiteral("m.tsg,1,2,0\tscript\t😀A\t1,{"), QStringLiteral("\twrap \"x\",1,2;"),
                             QStringLiteral("m.tsg,1,2,0\tscript\tB\t1,{")};
    Diagnostic unclosed = Rules::make(Rule::UnclosedBody, 0, 24, 1, {QStringLiteral("A")});
    unclosed.related.append({2, 0, 9, QStringLiteral("ここで次の定義が始まります")});
    Diagnostic misspelt = Rules::make(Rule::UnknownCommand, 1, 1, 4, {QStringLiteral("wrap"), QString()});
    misspelt.fixes.append({QStringLiteral("「warp」に直す"), {{1, 4, QStringLiteral("warp")}, {14, 0, QString()}}});
    file.diagnostics = {unclosed, misspelt};
    const QByteArray log = SarifFormat::report({file}, {}, QStringLiteral("0"));
    std::fwrite(log.constData(), 1, size_t(log.size()), stdout);
    return 0;
}
