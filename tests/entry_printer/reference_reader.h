#pragma once
// A plain model of the reader for the tests: the bytes as a scan sees them, and the redraw loop
// without any memory of failed draws, written for clarity instead of speed. A library of its
// own, so that the fuzzers can build it without coverage hooks.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace reference
{

struct stretch {
	long base;
	long length;
};

// The drawable stretch, or nothing when the header has no separator.
std::optional<stretch> drawable(const std::string &file);

// Sets the first places of starts, one for every offset of the file, to the first byte of the
// entry that a scan from it prints, or -1 when the scan meets the end or a 0x1A first. The
// vector is only ever enlarged, so that a caller can keep it from file to file.
void entry_starts(const std::string &file, std::vector<long> *starts);

// Whether any drawable offset reaches an entry.
bool reachable(const std::string &file);

// What the plain redraw loop prints for seed, giving up after max_draws.
std::optional<std::string> print(const std::string &file, std::uint32_t seed, long max_draws);

} // namespace reference
