#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// Which servers a script is checked for. Three generations read the language: the
// older servers, the later ones that added blocks and many commands, and today's,
// which come in two families: one matches words exactly, the other in any case.
// Where they disagree about a construct, the checker judges it for the servers
// of the target: an error where every one of them refuses it, a warning where
// only some do, and nothing where none does.
//
// A target also holds the flags its conditional comments ("/*@RENEWAL ... //@*/")
// are read with.
class Target
{
public:
    // One bit per kind of server.
    enum Server : quint8
    {
        Older = 1,
        Later = 2,
        TodayStrict = 4,  // today's family that matches words exactly
        TodayAnyCase = 8, // today's family that matches words in any case
    };
    using Servers = quint8;
    static constexpr Servers kToday = TodayStrict | TodayAnyCase;
    static constexpr Servers kEveryServer = Older | Later | kToday;

    enum class Verdict : quint8
    {
        Fine,
        Warning,
        Error,
    };

    Target() = default;
    explicit Target(Servers servers) : servers_((servers & kEveryServer) ? (servers & kEveryServer) : kEveryServer) {}

    // "older", "later", "today", "today-strict", "today-anycase" (any case), or ""
    // for every server; nullopt for another word.
    static std::optional<Target> fromName(QStringView name);
    // The name fromName reads back; "" for every server.
    QString name() const;

    Servers servers() const { return servers_; }
    bool includes(Servers servers) const { return (servers_ & servers) != 0; }
    bool isOnly(Servers servers) const { return (servers_ & ~servers) == 0; }

    // How a construct is judged that `refusers` refuse and `warners` load with a
    // warning of their own.
    Verdict judge(Servers refusers, Servers warners = 0) const
    {
        if ((servers_ & ~refusers) == 0)
            return Verdict::Error;
        return (servers_ & (refusers | warners)) != 0 ? Verdict::Warning : Verdict::Fine;
    }

    // The flags defined for conditional comments, in upper case.
    const QStringList &flags() const { return flags_; }
    // Whether a conditional comment's flag counts as defined: a flag written as
    // the start of a longer defined one counts as that one.
    bool defines(QStringView flag) const;
    // "NAME" defines a flag, "!NAME" or "-NAME" takes it away. RENEWAL and
    // PRERENEWAL exclude each other: defining one takes the other away. Returns
    // false for a word that is no flag.
    bool setFlag(QStringView word);

    // Whether `word` can be a conditional comment's flag: an upper-case letter,
    // then upper-case letters, digits or "_", three characters at least.
    static bool isFlagWord(QStringView word);

    // The servers that refuse something, as a warning names them:
    // 「古いサーバー」, 「大文字小文字を区別する今のサーバー」 ...
    static QString serversPhrase(Servers servers);

    // A word of the servers column of the command table: "older", "later",
    // "today" (both families), "today-strict", "today-anycase".
    static std::optional<Servers> serversOfWord(QStringView word);

    friend bool operator==(const Target &a, const Target &b)
    {
        return a.servers_ == b.servers_ && a.flags_ == b.flags_;
    }

private:
    static QStringList defaultFlags();

    Servers servers_ = kEveryServer;
    QStringList flags_ = defaultFlags();
};
