#pragma once

#include <QtGlobal>

// A piece of a line that the editor colours, as the checker read it.
struct Colour
{
    enum class Kind : quint8
    {
        Command,
        String,
        Label,
        Number,
        Brace,
        Comment,
        Variable,
    };
    int column = 0;
    int length = 0;
    Kind kind = Kind::Command;

    friend bool operator==(const Colour &a, const Colour &b)
    {
        return a.column == b.column && a.length == b.length && a.kind == b.kind;
    }
    friend bool operator!=(const Colour &a, const Colour &b) { return !(a == b); }
};
