// What talewick-check does with a file's bytes, whatever they are: decode them as
// code page 932 (or find where they are not), split the lines at every kind of
// line break, and check them. Nothing may crash, hang or read out of bounds, and
// every diagnostic must lie on a line that exists.
#include "check_tool/check_report.h"
#include "check_tool/gcc_format.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const CheckReport::FileResult result =
        CheckReport::checkBytes(QStringLiteral("fuzz.txt"), bytes, Commands::Table::builtIn());
    for (const Diagnostic &diagnostic : result.diagnostics) {
        if (diagnostic.line < 0 || diagnostic.line >= result.lines.size() || diagnostic.column < 0 ||
            diagnostic.column > result.lines.at(diagnostic.line).size()) {
            std::fprintf(stderr, "fuzz_check_bytes: a diagnostic outside the text\n");
            std::abort();
        }
    }
    (void)GccFormat::report(result);
    return 0;
}
