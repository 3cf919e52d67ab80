#include "checker/block_nesting.h"

#include "checker/body_tokens.h"

namespace BlockNesting {

bool Block::hasCase(QStringView key) const
{
    for (const CaseValue *value = cases.get(); value; value = value->previous.get()) {
        if (value->key == key)
            return true;
    }
    return false;
}

Blocks opened(const Blocks &innermost, Holders holders, bool isSwitch)
{
    auto block = std::make_shared<Block>();
    block->outer = innermost;
    block->holders = holders;
    block->isSwitch = isSwitch;
    return block;
}

Blocks closed(const Blocks &innermost)
{
    return innermost ? innermost->outer : Blocks();
}

Blocks withCase(const Blocks &innermost, const QString &key)
{
    if (!innermost || !innermost->isSwitch)
        return innermost;
    auto block = std::make_shared<Block>(*innermost);
    block->cases = std::make_shared<const CaseValue>(CaseValue{key, innermost->cases});
    return block;
}

Blocks withDefault(const Blocks &innermost)
{
    if (!innermost || !innermost->isSwitch || innermost->hasDefault)
        return innermost;
    auto block = std::make_shared<Block>(*innermost);
    block->hasDefault = true;
    return block;
}

namespace {

bool sameCases(const CaseValue *a, const CaseValue *b)
{
    for (; a != b; a = a->previous.get(), b = b->previous.get()) {
        if (!a || !b || a->key != b->key)
            return false;
    }
    return true;
}

} // namespace

bool same(const Blocks &a, const Blocks &b)
{
    const Block *x = a.get();
    const Block *y = b.get();
    for (; x != y; x = x->outer.get(), y = y->outer.get()) {
        if (!x || !y || x->holders != y->holders || x->isSwitch != y->isSwitch || x->hasDefault != y->hasDefault ||
            !sameCases(x->cases.get(), y->cases.get()))
            return false;
    }
    return true;
}

QString caseKey(QStringView value, bool negative, bool isNumber)
{
    if (!isNumber)
        return QStringLiteral("c:") + value.toString();
    const quint64 number = BodyTokens::numberValue(value);
    return (negative && number != 0 ? QStringLiteral("n:-") : QStringLiteral("n:")) + QString::number(number);
}

} // namespace BlockNesting
