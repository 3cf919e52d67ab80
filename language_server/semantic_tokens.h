#pragma once

#include "language_server/feature_table.h"

#include <QJsonObject>
#include <QString>
#include <QVector>

#include <optional>
#include <vector>

// The editor's colours for any client: textDocument/semanticTokens/full and
// /delta answer with the pieces the checker coloured, so every client shows what
// Talewick's own editor shows, and a delta after a keystroke sends only what changed.
namespace Lsp {

// The classes, in the order of the legend the server offers.
enum class TokenType
{
    Command, // "function": a command of the table
    Keyword, // if, for, goto, case...
    String,
    Label, // L_Start: and the labels jumps name
    Number,
    Variable, // with a modifier for its kind
    Comment,
    Directive, // "// talewick-check disable=..." ("macro")
    Brace,     // "operator"
};

// Modifiers, as bits in the legend's order: the kind of a variable by its prefix.
namespace TokenModifier {
constexpr int kPlayer = 1 << 0;   // name, @name
constexpr int kAccount = 1 << 1;  // #name, ##name
constexpr int kNpc = 1 << 2;      // .name
constexpr int kScope = 1 << 3;    // .@name
constexpr int kGlobal = 1 << 4;   // $name, $@name
constexpr int kInstance = 1 << 5; // 'name
} // namespace TokenModifier

struct SemanticToken
{
    int line = 0;
    int column = 0;
    int length = 0;
    TokenType type = TokenType::Command;
    int modifiers = 0;
    friend bool operator==(const SemanticToken &a, const SemanticToken &b)
    {
        return a.line == b.line && a.column == b.column && a.length == b.length && a.type == b.type &&
               a.modifiers == b.modifiers;
    }
};

// The tokens of a script, in order, none overlapping; where the checker's pieces
// overlap, the later one wins, as it does in the editor.
QVector<SemanticToken> semanticTokens(const ScriptCheck &check);
// The tokens of one line, its text and the pieces the checker coloured, placed at `line`.
QVector<SemanticToken> lineTokens(const QString &text, const QVector<Colour> &pieces, int line);
// The encoded tokens of one line appended to `data`, the first placed at line 0:
// what the whole list is joined from, with no list of tokens in between.
void appendLineTokens(std::vector<quint32> &data, const QString &text, const QVector<Colour> &pieces);
// The modifiers of a variable by how its name begins.
int variableModifiers(QStringView name);

// The protocol's encoding: five numbers a token, each placed relative to the one before.
std::vector<quint32> encodeTokens(const QVector<SemanticToken> &tokens);

// One edit of an encoded list: `deleteCount` numbers from `start` make way for `data`.
struct TokensEdit
{
    int start = 0;
    int deleteCount = 0;
    std::vector<quint32> data;
};

// The legend and what the server offers: full and delta, no range.
QJsonObject semanticTokensProvider();

} // namespace Lsp
