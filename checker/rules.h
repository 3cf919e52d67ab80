#pragma once

#include "checker/diagnostic.h"

#include <QString>

// Every kind of mistake the checker reports, with its severity and message. A
// new rule is one enumerator here and one row in the table of rules.cpp.
enum class Rule
{
    // Blocks
    UnclosedBlock,
    StrayCloseBrace,
    OutsideBlock,
    // Lines and statements
    UnreadableLine,
    OpenString,
    MissingSemicolon,
    CommandCase,
    MenuNotClosed,
    StrayContinuation,
    ArgumentCount,
    EmptyArgument,
    NotAString,
    MenuPairs,
    // Labels
    EmptyLabel,
    UndefinedLabel,
    UndefinedLabelOtherCase,
    DuplicateLabel,
    LabelTooLong,
    UnusedLabel,
    // Header lines
    HeaderFieldCount,
    SpaceForTab,
    HeaderType,
    HeaderPlace,
    EmptyMap,
    NotANumber,
    FacingRange,
    EmptyName,
    ScriptWithoutBrace,
    ShopItem,
    // Code page
    Unencodable,
    Undecodable,
};

namespace Rules {

Diagnostic::Severity severity(Rule rule);

// The rule's message with %1, %2 ... filled in from `arguments`.
QString message(Rule rule, const QStringList &arguments = {});

Diagnostic make(Rule rule, int line, int column, int length, const QStringList &arguments = {});

} // namespace Rules
