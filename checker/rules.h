#pragma once

#include "checker/diagnostic.h"

#include <QString>
#include <QStringList>
#include <QStringView>

// Every kind of mistake the checker reports. Each has a stable code ("TW104") that
// users can look up and search for; a new rule is one enumerator here and one row
// in the table of rules.cpp. Codes are never reused for another meaning.
enum class Rule : quint8
{
    // Inside a body: tokens, statements, expressions
    OpenString,
    MissingSemicolon,
    UnknownCommand,
    ArgumentCount,
    MissingComma,
    UnexpectedToken,
    MissingParenthesis,
    MissingBracket,
    OpenComment,
    EmptyValue,
    TooDeep,
    UndeclaredFunctionCall,
    // Bodies, menus and labels
    UnclosedBody,
    BodyRunsIntoDefinition,
    StrayCloseBrace,
    OutsideBody,
    MenuPairs,
    UndefinedLabel,
    UndefinedLabelOtherCase,
    DuplicateLabel,
    EventLabelTooLong,
    UnusedLabel,
    MissingBody,
    UndefinedFunction,
    FunctionNeverDefined,
    FunctionDefinedTwice,
    EmptyLabel,
    // Definition lines
    DefinitionFields,
    SpaceForTab,
    SpaceForTabUnreadable,
    KindMisspelt,
    PlaceFormat,
    FacingRange,
    EmptyName,
    ShopItem,
    SpriteFormat,
    WarpFormat,
    MonsterFormat,
    DuplicateSource,
    IgnoredText,
    LeadingBlank,
    MissingKind,
    // Code page
    Unencodable,
    Undecodable,
    UndecodableInText,
    // The conversation's flow
    PlayerStuck,
    EmptyWindow,
    CloseAfterOtherWindow,
    Unreachable,
    WindowWithoutPlayer,
    VariableNeverSet,
    LiteralOfOtherType,
    // Directives in comments
    UnknownDirectiveCode,
};

namespace Rules {

struct Row
{
    Rule rule;
    const char16_t *code;
    Diagnostic::Severity severity;
    const char16_t *message; // %1, %2 ... are filled in
    const char16_t *summary; // what the rule is about, for the help text
};

// The rule with `code` ("TW104", any case), or nullptr.
const Row *find(QStringView code);

// Every rule, in the order of their codes.
const Row *begin();
const Row *end();

const Row &row(Rule rule);
QString code(Rule rule);
Diagnostic::Severity severity(Rule rule);

// The rule's message with %1, %2 ... filled in from `arguments`.
QString message(Rule rule, const QStringList &arguments = {});

Diagnostic make(Rule rule, int line, int column, int length, const QStringList &arguments = {});

} // namespace Rules
