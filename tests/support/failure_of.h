#pragma once

#include "common/failure.h"

#include <QString>

#include <functional>

// The message of the failure `action` raises, or an empty text when it raises none.
inline QString failureOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const Failure &failure) {
        return failure.message();
    }
    return QString();
}
