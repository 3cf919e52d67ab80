#pragma once

#include "checker/diagnostic.h"

#include <cstddef>

// What a rule declares beside the code that checks it: its code and severity, its
// message, and its page (what is wrong, what the server does, a script that breaks
// the rule and the same script mended). The registry in rules.cpp gathers them.
//
// An error is what makes the server refuse the script or a part of it, or what
// breaks when a player meets it; a warning is what loads and runs but is most
// likely not what the writer meant.
struct RuleDeclaration
{
    Rule rule;
    const char16_t *code;
    Diagnostic::Severity severity;
    const char16_t *message; // %1, %2 ... are filled in
    const char16_t *summary; // what the rule is about, for the help text
    const char16_t *meaning; // what is wrong
    const char16_t *server;  // what the server does with it
    const char16_t *wrong;   // a short script that breaks the rule
    const char16_t *mended;  // the same script without the mistake
};

// The declarations of one layer of the checker.
struct RuleTable
{
    const RuleDeclaration *first;
    std::size_t size;
};

template <std::size_t N> constexpr RuleTable tableOf(const RuleDeclaration (&declarations)[N])
{
    return {declarations, N};
}

// Checks a layer runs on its own table at compile time; the registry checks the
// tables against each other when it is first built.
namespace RuleDeclarations {

constexpr bool sameText(const char16_t *a, const char16_t *b)
{
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

constexpr bool filled(const char16_t *text)
{
    return text && *text;
}

// "TW" and three digits.
constexpr bool codeIsWellFormed(const char16_t *code)
{
    if (!code || code[0] != u'T' || code[1] != u'W')
        return false;
    for (int i = 2; i < 5; ++i) {
        if (code[i] < u'0' || code[i] > u'9')
            return false;
    }
    return code[5] == 0;
}

constexpr bool isComplete(const RuleDeclaration &d)
{
    return codeIsWellFormed(d.code) && filled(d.message) && filled(d.summary) && filled(d.meaning) &&
           filled(d.server) && filled(d.wrong) && filled(d.mended);
}

// Every declaration complete, and no two with the same code or the same rule.
template <std::size_t N> constexpr bool areSound(const RuleDeclaration (&declarations)[N])
{
    for (std::size_t i = 0; i < N; ++i) {
        if (!isComplete(declarations[i]))
            return false;
        for (std::size_t j = 0; j < i; ++j) {
            if (declarations[i].rule == declarations[j].rule || sameText(declarations[i].code, declarations[j].code))
                return false;
        }
    }
    return true;
}

} // namespace RuleDeclarations
