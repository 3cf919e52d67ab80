#pragma once

#include "checker/block_nesting.h"
#include "checker/body_tokens.h"
#include "checker/colour.h"
#include "checker/commands.h"
#include "checker/flow_step.h"
#include "checker/language.h"
#include "checker/rules.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVector>

#include <vector>

// Reads one piece of a body that the chunk splitter cut off: a label, a statement
// up to its ";", the head of a block up to its "{", or a "case ...:". Statements
// and expressions are read with the server's grammar and operator precedence; what
// was found goes to a sink, each piece with the line (within the chunk's lines) and
// column where it stands.
namespace StatementParser {

struct ChunkToken
{
    BodyTokens::Token token;
    int line = 0;     // which of the chunk's lines
    QStringView text; // the token's text
    bool firstOnLine = false;
};

// What ended the chunk.
enum class End : quint8
{
    Semicolon,
    OpenBrace,
    Colon, // a label, "case ...:" or "default:"
    None,  // the chunk was cut short: a "}", a label, a definition line or the end of the file follows
};

class Sink
{
public:
    virtual ~Sink() = default;
    virtual void diagnostic(int line, Rule rule, int column, int length, const QStringList &arguments) = 0;
    // A finding judged for the target (Rules::judged).
    virtual void judged(int line, Diagnostic &&found) = 0;
    virtual void colour(int line, Colour::Kind kind, int column, int length) = 0;
    virtual void defineLabel(int line, const QString &label, int column, int length) = 0;
    virtual void jump(int line, const QString &label, int column, int length) = 0;
    virtual void callFunction(int line, const QString &name, int column, int length) = 0;
    // "function Name;" declares a function of the body, "function Name { ... }" defines it.
    virtual void declareFunction(int line, const QString &name, int column, int length, bool definition) = 0;
    // A call of a name no command has: a function of the body, or an unknown command.
    virtual void callOwnFunction(int line, const QString &name, int column, int length) = 0;
    // A step of the body's flow, on the line it begins.
    virtual void step(int line, FlowStep &&step) = 0;
    // The "{" that ends the piece opens a block whose statements `holders` hold: a
    // switch's own block when `isSwitch`. Not called for a head the parser gave up on.
    virtual void opensBlock(BlockNesting::Holders holders, bool isSwitch) = 0;
    // A case value (BlockNesting::caseKey) or the default of the switch the piece stands in.
    virtual void switchCase(const QString &key) = 0;
    virtual void switchDefault() = 0;
};

// `innermost`: the block the piece stands in, null at the body's own level.
void parse(const std::vector<ChunkToken> &tokens, End end, const Commands::Table &commands,
           const BlockNesting::Blocks &innermost, Sink &sink);

} // namespace StatementParser
