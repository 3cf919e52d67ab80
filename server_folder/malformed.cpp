#include "file_readers.h"

namespace ServerFolder::Readers {

Facts malformed(const QString &file, int line, const QString &message)
{
    Facts facts;
    facts.problems.append(Problem{file, line, message});
    return facts;
}

Facts malformed(const Problem &problem)
{
    return malformed(problem.file, problem.line, problem.message);
}

} // namespace ServerFolder::Readers
