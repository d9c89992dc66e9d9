#pragma once
// The weight of every entry of an entry file, found by counting every draw value with the plain
// model of the reader: the figures the checker must give.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "reference_reader.h"

// The weight of every entry that some draw prints, found the plain way: every relative offset
// k is hit by the draw values with that remainder; a scan from it by the plain reader ends at
// the first byte of the entry it prints.
inline std::map<std::uint64_t, std::uint64_t>
counted_weights(const std::string &file)
{
	auto stretch = reference::drawable(file);
	auto length = static_cast<std::uint64_t>(stretch->length);
	if (length == 0)
		return {};
	std::vector<std::uint64_t> hits(length);
	std::uint64_t values = length <= 32768 ? 32768 : UINT64_C(1) << 45;
	for (std::uint64_t r = 0; length <= 32768 && r < values; r++)
		hits[r % length]++;
	for (std::uint64_t k = 0; length > 32768 && k < length; k++)
		hits[k] = values / length + (k < values % length);
	// The entry each byte after the header belongs to.
	std::vector<std::uint64_t> entry_of(file.size());
	for (std::size_t i = file.find('\0') + 1, index = 1; i < file.size(); i++) {
		entry_of[i] = index;
		index += file[i] == '\0';
	}
	std::map<std::uint64_t, std::uint64_t> weights;
	reference::scanner scan{file};
	for (std::uint64_t k = 0; k < length; k++)
		if (scan.entry_start(static_cast<std::size_t>(stretch->base) + k) >= 0)
			weights[entry_of[scan.pos - 1]] += hits[k];
	return weights;
}
