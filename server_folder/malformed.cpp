#include "file_readers.h"

namespace ServerFolder::Readers {

Facts malformed(const QString &file, int line, const QString &message)
{
    Facts facts;
    facts.problems.append(Problem{file, line, message});
    return facts;
}

} // namespace ServerFolder::Readers
