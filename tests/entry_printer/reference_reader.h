#pragma once
// A plain model of the reader for the tests: the bytes as a scan sees them, and the redraw loop
// without any memory of failed draws, written for clarity instead of speed.

#include <cstdint>
#include <optional>
#include <string>

#include "generator.h"

namespace reference
{

struct scanner {
	const std::string &file;
	std::size_t pos = 0;
	bool ended = false;

	// The next byte as the reading rules show it, or -1 at the end.
	int get()
	{
		if (ended || pos == file.size() || file[pos] == '\x1A') {
			ended = true;
			return -1;
		}
		unsigned char c = static_cast<unsigned char>(file[pos++]);
		if (c == '\r' && pos < file.size() && file[pos] == '\n')
			return file[pos++];
		return c;
	}

	// Scans from offset past the next separator and its whitespace; the entry's first byte,
	// or -1 when the end comes first.
	int entry_start(std::size_t offset)
	{
		pos = offset;
		ended = false;
		int c;
		while ((c = get()) > 0)
			;
		if (c < 0)
			return c;
		while (c = get(), c == ' ' || (c >= 9 && c <= 13))
			;
		return c;
	}
};

struct stretch {
	long base;
	long length;
};

// The drawable stretch, or nothing when the header has no separator.
inline std::optional<stretch>
drawable(const std::string &file)
{
	scanner s{file};
	int c;
	while ((c = s.get()) > 0)
		;
	if (c < 0)
		return std::nullopt;
	long h = static_cast<long>(s.pos);
	long base = h > 40 ? h - 40 : h;
	return stretch{base, static_cast<long>(file.size()) - base};
}

// Whether any drawable offset reaches an entry, tried one by one.
inline bool
reachable(const std::string &file)
{
	auto d = drawable(file);
	scanner s{file};
	for (long k = 0; d && k < d->length; k++)
		if (s.entry_start(static_cast<std::size_t>(d->base + k)) >= 0)
			return true;
	return false;
}

// What the plain redraw loop prints for seed, giving up after max_draws.
inline std::optional<std::string>
print(const std::string &file, std::uint32_t seed, long max_draws)
{
	auto d = drawable(file);
	if (!d || d->length <= 0)
		return std::nullopt;
	generator_seed(seed);
	scanner s{file};
	for (long draw = 0; draw < max_draws; draw++) {
		std::uint64_t r = static_cast<std::uint64_t>(generator_next());
		if (d->length > 32768) {
			r = r * 32768 + static_cast<std::uint64_t>(generator_next());
			r = r * 32768 + static_cast<std::uint64_t>(generator_next());
		}
		long k = static_cast<long>(r % static_cast<std::uint64_t>(d->length));
		int c = s.entry_start(static_cast<std::size_t>(d->base + k));
		if (c < 0)
			continue;
		std::string text;
		for (; c > 0; c = s.get())
			text += static_cast<char>(c);
		return text + "\n";
	}
	return std::nullopt;
}

} // namespace reference
