#pragma once

#include <cstddef>
#include <cstdint>

// What an operation visited: the Ids in order, which every side must agree on, and the
// length of the text read, which keeps the reads from being optimized away.
struct TVisited {
    std::uint64_t Ids = 0;
    std::size_t Characters = 0;
    void Add(std::int64_t Id) { Ids = Ids * 1000003 + std::uint64_t(Id); }
};
