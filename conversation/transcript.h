#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// What a player saw and did in one run of a conversation, and what the run waits
// for now. Lines count from 0 in the file named by `file` (empty: the script previewed).
namespace Conversation {

struct Place
{
    int line = -1;
    QString file;
    friend bool operator==(const Place &a, const Place &b) { return a.line == b.line && a.file == b.file; }
};

// A piece of a message in one colour.
struct ColouredText
{
    QString text;
    quint32 colour = 0xFF000000; // ARGB, as QRgb
    friend bool operator==(const ColouredText &a, const ColouredText &b)
    {
        return a.text == b.text && a.colour == b.colour;
    }
};

struct MessageLine
{
    QVector<ColouredText> pieces;
    Place place;
};

enum class Button : quint8
{
    None,
    Next,  // 次へ
    Close, // 閉じる
};

struct Page
{
    QVector<MessageLine> lines;
    Button button = Button::None;
    Place place; // its first message
};

// One entry of the path taken: a page shown, a choice made, a value typed, a
// question answered, the end reached.
struct Step
{
    enum class Kind : quint8
    {
        Page,
        Choice,
        Input,
        Answer,
        End,
    };
    Kind kind = Kind::Page;
    QString text;
    Place place;
};

// Something the script would do to the player or the world; listed, not done.
struct Effect
{
    QString command; // lower case
    QString text;    // "harbor02.tsg 50,50 へワープ"
    Place place;
};

enum class Ending : quint8
{
    Running,
    Closed,    // the player pressed 閉じる after close
    Ended,     // end, a top-level return, the body's "}"
    Warped,    // a warp closed the window
    Cancelled, // the player cancelled a choice
    Stopped,   // a statement that cannot be read, an error at run time, the step limit
};

struct Transcript
{
    QVector<Page> pages;
    QVector<Step> path;
    QVector<Effect> effects;
    Ending ending = Ending::Running;
    bool stuck = false;  // ended with the window open and no button to press
    QString stopMessage; // why it stopped, naming the line
    Place endPlace;
};

// What the run waits for.
struct Wait
{
    enum class Kind : quint8
    {
        Button,
        Choice,
        Input,
        Question,
        Ended,
    };
    Kind kind = Kind::Ended;
    Button button = Button::None;
    QStringList choices;    // numbered from 1; an empty choice is hidden but keeps its number
    QString question;       // "この条件は成り立ちますか？ `Zeny < 500`"
    bool yesNo = false;     // a question answered with はい/いいえ, else by a value
    bool wantsText = false; // an input or value that is a text, not a number
    // A number the server keeps within a range (its command's result column):
    // only a whole number from `low` to `high` answers it.
    bool ranged = false;
    qint64 low = 0;
    qint64 high = 0;
    Place place;
};

struct Answer
{
    enum class Kind : quint8
    {
        Press,  // the page's button
        Choose, // a choice, by its number from 1
        Type,   // an input, or the value a question asks for
        Yes,
        No,
        Cancel, // a menu or select cancelled
    };
    Kind kind = Kind::Press;
    int choice = 0;
    QString text;

    static Answer press() { return {}; }
    static Answer choose(int n) { return {Kind::Choose, n, {}}; }
    static Answer type(const QString &t) { return {Kind::Type, 0, t}; }
    static Answer yes() { return {Kind::Yes, 0, {}}; }
    static Answer no() { return {Kind::No, 0, {}}; }
    static Answer cancel() { return {Kind::Cancel, 0, {}}; }
};

} // namespace Conversation
