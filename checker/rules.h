#pragma once

#include "checker/diagnostic.h"
#include "checker/rule_declaration.h"
#include "checker/target.h"

#include <QString>
#include <QStringList>
#include <QStringView>

// Every kind of mistake the checker reports. Each has a stable code ("TW104") that
// users can look up and search for; a new rule is one enumerator here and one
// declaration beside the code that checks it (see rule_tables.h). Enumerators keep
// the order of the codes. Codes are never reused for another meaning.
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
    TodaysSyntax,
    CallByName,
    UnknownFunctionByName,
    WrongCase,
    UnknownEscape,
    CaseNotConstant,
    CommaAfterAssignment,
    NameNotAscii,
    NumberTooLarge,
    BreakOutsideLoop,
    CaseRepeated,
    DefaultWithBlank,
    NumberUnderscore,
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
    LabelTooLongToday,
    JumpToDigits,
    LabelNamedLikeCommand,
    FileFunctionDefinedAgain,
    FunctionLoadedLater,
    PrivateFunctionOfNpc,
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
    // Definition lines as today's servers read them
    EmptyField,
    BlankByKind,
    KindCase,
    KindUnknown,
    BraceNotAfterComma,
    FunctionBraceNotFirst,
    MonsterPlaceShort,
    MonsterFieldsToday,
    MonsterCount,
    TextAfterBody,
    ByteOrderMark,
    NamePartTooLong,
    ShopItemName,
    ShopPrice,
    FloatingShop,
    RestOfFileUnread,
    UnknownSprite,
    // Definitions across the files a server loads together
    UniqueNameTaken,
    DuplicateSourceNotLoaded,
    // Code page
    Unencodable,
    Undecodable,
    UndecodableInText,
    // The conversation's flow
    PlayerStuck,
    EmptyWindow,
    OtherWindowBesideMessage,
    Unreachable,
    WindowWithoutPlayer,
    VariableNeverSet,
    LiteralOfOtherType,
    // What a server's own folder knows
    UnknownMap,
    UnknownShopItem,
    UnknownMonster,
    UnknownItem,
    LikelyConstantTypo,
    DeprecatedConstant,
    // Directives in comments
    UnknownDirectiveCode,
};

// One more than the last enumerator.
inline constexpr std::size_t kRuleCount = std::size_t(Rule::UnknownDirectiveCode) + 1;

namespace Rules {

// A rule's row is its whole declaration.
using Row = RuleDeclaration;

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

// A finding that only some servers refuse, judged for the target: an error where
// all of its servers refuse it, else a warning that names the servers that do.
// Fine gives no finding: a diagnostic with an empty code.
Diagnostic judged(Rule rule, Target::Verdict verdict, Target::Servers refusers, int line, int column, int length,
                  const QStringList &arguments = {});
// The same judged for `target`, naming only its servers that refuse.
Diagnostic judged(Rule rule, const Target &target, Target::Servers refusers, Target::Servers warners, int line,
                  int column, int length, const QStringList &arguments = {});

// What is wrong with a set of tables, as the registry checks them when first
// built: the first code declared twice, rule declared twice or never, or code out
// of the order of the enumerators.
struct TableProblem
{
    enum class Kind : quint8
    {
        None,
        IncompleteDeclaration,
        CodeTwice,
        RuleTwice,
        RuleNeverDeclared,
        CodeOutOfOrder,
        RuleOutOfRange,
    };
    Kind kind = Kind::None;
    std::size_t rule = 0; // the enumerator's number
    QString code;         // empty for a rule never declared
};

TableProblem problemIn(const RuleTable *tables, std::size_t tableCount, std::size_t ruleCount);

} // namespace Rules
