#pragma once

#include <QtGlobal>

// FNV-1a, one UTF-16 code unit at a time: for the few short names a lookup table
// of the checker holds, where Qt's string hash, with its vector instructions,
// costs more than the lookups it serves.
namespace FnvHash {

constexpr quint32 kBasis = 2166136261u;

constexpr quint32 step(quint32 hash, char16_t unit)
{
    return (hash ^ unit) * 16777619u;
}

} // namespace FnvHash
