#pragma once

#include <QString>

namespace Conversation {

// A value of a running script: a number (32 bits, wrapping as the server's) or a text.
struct Value
{
    bool isText = false;
    qint32 number = 0;
    QString text;

    static Value ofNumber(qint64 n)
    {
        Value v;
        v.number = qint32(quint32(quint64(n))); // wraps like the server's int
        return v;
    }
    static Value ofText(const QString &t)
    {
        Value v;
        v.isText = true;
        v.text = t;
        return v;
    }
    QString toText() const { return isText ? text : QString::number(number); }
    // A text read as a number the way the server's atoi does: leading digits, else 0.
    qint32 toNumber() const
    {
        if (!isText)
            return number;
        qint64 n = 0;
        int i = 0;
        while (i < text.size() && text.at(i).isSpace())
            ++i;
        const bool negative = i < text.size() && text.at(i) == u'-';
        if (i < text.size() && (text.at(i) == u'-' || text.at(i) == u'+'))
            ++i;
        for (; i < text.size() && text.at(i) >= u'0' && text.at(i) <= u'9' && n < (qint64(1) << 40); ++i)
            n = n * 10 + (text.at(i).unicode() - u'0');
        return ofNumber(negative ? -n : n).number;
    }
    bool isTrue() const { return isText ? !text.isEmpty() : number != 0; }
    friend bool operator==(const Value &a, const Value &b)
    {
        return a.isText == b.isText && (a.isText ? a.text == b.text : a.number == b.number);
    }
};

} // namespace Conversation
