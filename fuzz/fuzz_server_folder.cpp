// Each reader of a server's folder on any bytes: the first byte picks the reader,
// the rest is the file. Nothing may crash or hang; a reader answers with facts
// or with one problem on a line the file has, never both; and the rewrite of the
// server's .conf additions keeps every line where it was.
#include "server_folder/conf_text.h"
#include "server_folder/file_readers.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

using namespace ServerFolder;
using Readers::Table;

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "fuzz_server_folder: %s\n", what);
    std::abort();
}

Facts readWith(uint8_t choice, const QByteArray &bytes, const QString &file)
{
    switch (choice % 9) {
    case 0:
        return Readers::constantsConf(bytes, file);
    case 1:
        return Readers::constTxt(bytes, file);
    case 2:
        return Readers::mapIndex(bytes, file);
    case 3:
        return Readers::entryDbConf(bytes, file, choice & 0x10 ? Table::Monsters : Table::Items);
    case 4:
        return Readers::entryDbTxt(bytes, file, choice & 0x10 ? Table::Monsters : Table::Items);
    case 5:
        return Readers::entryDbYaml(bytes, file, choice & 0x10 ? Table::Monsters : Table::Items);
    case 6:
        return Readers::skillDbConf(bytes, file);
    case 7: {
        Facts facts;
        facts.problems = Readers::npcList(bytes, file).problems;
        return facts;
    }
    default:
        return Facts();
    }
}

bool holdsFacts(const Facts &facts)
{
    return !facts.constants.isEmpty() || !facts.maps.isEmpty() || !facts.items.isEmpty() || !facts.monsters.isEmpty() ||
           !facts.skills.isEmpty();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0) {
        return 0;
    }
    const QByteArray bytes(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    const QString file = QStringLiteral("fuzz.conf");

    const ConfText::Rewritten rewritten = ConfText::toLibconfig(bytes);
    if (rewritten.text.count('\n') != bytes.count('\n')) {
        fail("the .conf rewrite moved lines");
    }

    const Facts facts = readWith(data[0], bytes, file);
    if (facts.problems.size() > 1 || (!facts.problems.isEmpty() && holdsFacts(facts))) {
        fail("a broken file brought more than its one problem");
    }
    for (const Problem &problem : facts.problems) {
        if (problem.file != file || problem.line < 0 || problem.line > bytes.count('\n') + 1) {
            fail("a problem outside the file");
        }
    }
    return 0;
}
