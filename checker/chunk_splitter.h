#pragma once

#include "checker/body_tokens.h"
#include "checker/commands.h"
#include "checker/script_line.h"
#include "checker/statement_parser.h"

#include <QVector>

#include <vector>

// One walk down the script from a line where no statement is open: it follows
// each line's region (outside a body, waiting for its "{", in a body), cuts a
// body's tokens into pieces that end at ";", "{", "}", a label's ":" or a
// "case ...:", hands each piece to the statement parser, and files what it finds
// on the lines. It keeps what a line's state cannot: the tokens of the statement
// being read and the lines they stand on.
class ChunkSplitter : public StatementParser::Sink
{
public:
    using Line = LineStore::Line;
    using State = LineStore::State;

    // What the lines keep beyond their diagnostics.
    struct Keep
    {
        bool colours = true;
        bool commandWords = true;
        bool tokens = true;
    };
    ChunkSplitter(const Commands::Table &commands, Keep keep, const State &state, Line *bodyLine, Line *commentLine);

    void visit(Line &line);
    // The end of the script ends whatever is still open.
    void finish();
    const State &state() const { return state_; }
    Line *bodyLine() const { return bodyLine_; }
    Line *commentLine() const { return commentLine_; }

    struct Flag
    {
        Line *line;
        bool Line::*flag;
        bool value;
    };
    std::vector<Flag> flags; // set on lines that may lie before the walk

    void diagnostic(int line, Rule rule, int column, int length, const QStringList &arguments) override;
    void judged(int line, Diagnostic &&found) override;
    void colour(int line, Colour::Kind kind, int column, int length) override;
    void defineLabel(int line, const QString &label, int column, int length) override;
    void jump(int line, const QString &label, int column, int length) override;
    void callFunction(int line, const QString &name, int column, int length) override;
    void declareFunction(int line, const QString &name, int column, int length, bool definition) override;
    void step(int line, FlowStep &&step) override;
    void callOwnFunction(int line, const QString &name, int column, int length) override;
    void opensBlock(BlockNesting::Holders holders, bool isSwitch) override;
    void switchCase(const QString &key) override;
    void switchDefault() override;

private:
    void setFlag(Line *line, bool Line::*flag, bool value)
    {
        if (line)
            flags.push_back(Flag{line, flag, value});
    }
    void visitLine(Line &line);
    void cutOpenBody(Line &line);
    void openBody(Line &line);
    void readTop(Line &line, const BodyTokens::Line &tokens);
    void awaitBody(Line &line);
    void readBody(Line &line, int from);
    void textAfterBody(Line &line, const BodyTokens::Token &token, bool first);
    void markStop(Line &line, int from);
    bool beginPiece(Line &line, const std::vector<BodyTokens::Token> &tokens, const StatementParser::ChunkToken &here,
                    qsizetype colon);
    bool endPiece(Line &line, const StatementParser::ChunkToken &here);
    void addToPiece(Line &line, const StatementParser::ChunkToken &here);
    void closeChunk(StatementParser::End end);
    void closeBrace(Line &line, int column);
    void addStep(Line &line, FlowStep::Kind kind, int column);
    // `afterHead`: the "{" ends a piece, the head whose block it opens.
    void openBrace(Line &line, int column, bool afterHead);
    void lexicalColours(Line &line, const BodyTokens::Line &tokens);
    void followComment(Line &line, const BodyTokens::Line &tokens);
    const BodyTokens::Line &tokensOf(Line &line, int from);

    const Commands::Table &commands_;
    const bool colours_;
    const bool commandWords_;
    const bool keepTokens_;
    BodyTokens::Line read_;                        // the tokens of the line being read, when lines keep none
    const BodyTokens::Line *lineTokens_ = nullptr; // those of the line being visited
    State state_;
    Line *bodyLine_;
    Line *commentLine_;
    // The statement being read and the lines it stands on.
    std::vector<StatementParser::ChunkToken> chunk_; // a vector: appended to for every token read
    QVector<Line *> unit_;
    int parens_ = 0;
    bool chunkIsFor_ = false;
    bool chunkIsCase_ = false;
    bool chunkHasQuestion_ = false;
    // What the parser said of the block the "{" after its piece opens.
    struct OpeningBlock
    {
        bool told = false;
        BlockNesting::Holders holders = BlockNesting::Nothing;
        bool isSwitch = false;
    };
    OpeningBlock opening_;
};
