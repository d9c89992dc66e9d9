#pragma once
// The weight of every entry of an entry file, found the plain way: the draw values that fall on
// each offset, added up over the offsets from which the plain model of the reader prints the
// entry. The figures the checker must give.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The index (from 1 after the header) and the weight of every entry that some draw prints, in
// file order.
typedef std::vector<std::pair<std::uint64_t, std::uint64_t>> entry_weights;

entry_weights counted_weights(const std::string &file);
