#pragma once

// The bytes a fuzz target is given, as the text the parsers read.

#include <QString>
#include <cstddef>
#include <cstdint>

inline QString FuzzText(const uint8_t* Data, size_t Size) {
    return QString::fromUtf8(reinterpret_cast<const char*>(Data), qsizetype(Size));
}
