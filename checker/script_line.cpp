#include "checker/script_line.h"

#include "checker/rules.h"
#include "common/code_page_characters.h"
#include "common/text_position.h"

namespace LineStore {

namespace {

Diagnostics codePageDiagnostics(QStringView text)
{
    Diagnostics found;
    for (qsizetype i = 0; i < text.size();) {
        int length = 1;
        if (!CodePage932::isEncodable(text, i, &length))
            found.append(Rules::make(Rule::Unencodable, 0, int(i), length,
                                     {text.sliced(i, length).toString(), TextPosition::codePointName(text, i)}));
        i += length;
    }
    return found;
}

} // namespace

void readText(Line &line, const Target &target, bool colours, bool encoding)
{
    line.definition = DefinitionLine::read(line.text, target, colours);
    if (encoding)
        line.codePage = codePageDiagnostics(line.text);
    line.directive = Directives::read(line.text);
    line.tokensFrom = -1;
}

} // namespace LineStore
