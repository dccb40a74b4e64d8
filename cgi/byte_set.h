// A table of 256 flags, one per byte value, built at compile time: a scan
// for any of a few bytes tests one flag per byte.
#pragma once

#include <array>
#include <initializer_list>

constexpr std::array<bool, 256> byte_set(std::initializer_list<unsigned char> bytes) {
    std::array<bool, 256> set{};
    for (unsigned char byte : bytes)
        set[byte] = true;
    return set;
}
