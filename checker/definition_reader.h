#pragma once

// How a definition line is read, shared by the files of the definition layer:
// definition_line.cpp splits a line and finds its kind, definition_fields.cpp
// reads the place and the fourth field of each kind, definition_today.cpp judges
// what today's servers read otherwise. Only those files include this.

#include "checker/definition_line.h"
#include "checker/rules.h"
#include "checker/target.h"

#include <QStringList>
#include <QStringView>
#include <QVarLengthArray>

namespace DefinitionLine {

struct Field
{
    int column = 0;
    QStringView text;
    int end() const { return column + int(text.size()); }
};

// A line's fields, or a field's parts: most lines have a handful, kept without allocating.
using Fields = QVarLengthArray<Field, 8>;

inline bool isTab(QChar c)
{
    return c == u'\t';
}

inline bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\u3000';
}

// Splits [from, end) into at most four fields at runs of the separator; the fourth takes the rest.
Fields splitFields(QStringView line, int end, bool (*separator)(QChar), int from = 0);
bool isInteger(QStringView text);
// How much of `text` a "%d" of the loader reads: blanks, a sign and digits; 0 when
// it reads no digit. What follows is ignored by the loader.
int scannedInteger(QStringView text);
bool isNameLike(QStringView text);

// A kind word, the kind it defines and the servers that know it.
struct KindWord
{
    QStringView word; // in lower case, as the servers that match exactly want it
    Kind kind;
    Target::Servers servers;
};

// The kind word `word` is without regard to case, or nullptr; "duplicate(...)" included.
const KindWord *kindWordOf(QStringView word);

class Reader
{
public:
    // `indent`: where the first field may begin; `bom`: the byte order mark's length before it.
    Reader(QStringView line, int indent, int bom, const Target &target, bool colours)
        : line_(line), target_(target), indent_(indent), bom_(bom), colours_(colours)
    {
    }

    Definition read();

private:
    using Servers = Target::Servers;
    static constexpr Servers kOlderAndLater = Target::Older | Target::Later;

    void report(Rule rule, int column, int length, const QStringList &arguments = {})
    {
        noteSkipped(rule, Target::kEveryServer);
        result_.diagnostics.append(Rules::make(rule, 0, column, length, arguments));
    }
    void noteSkipped(Rule rule, Servers refusers);
    // A finding that `refusers` refuse and `warners` load with a warning, judged for the target.
    void judge(Rule rule, Servers refusers, Servers warners, int column, int length, const QStringList &arguments = {});
    bool forToday() const { return target_.includes(Target::kToday); }
    void colour(Colour::Kind kind, int column, int length)
    {
        if (colours_ && length > 0)
            result_.colours.append(Colour{column, length, kind});
    }

    // definition_line.cpp: the fields and the kind
    bool recognise();
    int fieldsEnd();
    bool split(int size);
    bool mendBlankForTab();
    Kind meantKindOf(const Field &place, const Field &kindField);
    Kind blankByKind(const Field &kindField);
    void readName(const Field &name);
    void cutFourthAtTab();
    int kindEnd() const { return fields_.at(1).end(); }

    // definition_fields.cpp: the place and the fourth field of each kind
    void readPlaceAndFourth(Kind kind, bool readable);
    Fields parts(const Field &field, QChar separator) const;
    int readIntegers(const Fields &all, int from, int count);
    void ignored(int from, int to);
    int checkPlace(const Field &place, int minParts, int maxParts, bool facing, const char16_t *form);
    void readScript(const Field &field);
    void readSprite(const Field &field);
    void readWarp(const Field &field);
    void readMonster(const Field &field);
    void readMonsterPlace(const Field &place);

    // definition_shop.cpp: a shop's items
    void readShop(const Field &field);
    void readShopPlace(const Field &place);
    void readItem(const Field &item);
    void judgePrice(const Field &price);

    // definition_today.cpp: what today's servers read otherwise
    bool judgeTabs();
    void judgeKindWord();
    void judgeBodyBrace();
    void judgeFunctionBrace();
    void judgeNameLength(const Field &name);
    int todayTab(int n) const;

    QStringView line_;
    const Target &target_;
    int indent_ = 0; // where the first field may begin: after the mark and the blanks
    int bom_ = 0;    // the byte order mark the line begins with
    bool colours_ = true;
    bool kindMissing_ = false;
    bool kindGuessed_ = false; // read from a misspelt, blank-edged, missing or unknown kind word
    bool blanksForTabs_ = false;
    const KindWord *kindWord_ = nullptr;
    Fields fields_;
    Definition result_;
};

} // namespace DefinitionLine
