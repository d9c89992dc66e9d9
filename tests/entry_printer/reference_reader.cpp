#include "reference_reader.h"

namespace reference
{

namespace
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
};

bool
is_blank(unsigned char c)
{
	return c == ' ' || (c >= 9 && c <= 13);
}

} // namespace

std::optional<stretch>
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

// One pass from the end. A scan from an offset goes to the first NUL or 0x1A; past a NUL it
// skips whitespace up to the first other byte, which ends the scan unless it is a 0x1A. So
// walking back, first_byte is where a scan that begins past its NUL ends, and entry where one
// from here ends.
void
entry_starts(const std::string &file, std::vector<long> *starts)
{
	if (starts->size() < file.size())
		starts->resize(file.size());
	long first_byte = -1, entry = -1;
	for (std::size_t i = file.size(); i-- > 0;) {
		auto c = static_cast<unsigned char>(file[i]);
		if (c == 0x1A) {
			first_byte = -1;
			entry = -1;
		} else if (c == 0) {
			entry = first_byte;
			first_byte = static_cast<long>(i);
		} else if (!is_blank(c)) {
			first_byte = static_cast<long>(i);
		}
		(*starts)[i] = entry;
	}
}

bool
reachable(const std::string &file)
{
	auto d = drawable(file);
	if (!d)
		return false;
	std::vector<long> starts;
	entry_starts(file, &starts);
	for (long k = 0; k < d->length; k++)
		if (starts[static_cast<std::size_t>(d->base + k)] >= 0)
			return true;
	return false;
}

std::optional<std::string>
print(const std::string &file, std::uint32_t seed, long max_draws)
{
	auto d = drawable(file);
	if (!d || d->length <= 0)
		return std::nullopt;
	std::vector<long> starts;
	entry_starts(file, &starts);
	std::uint32_t state = seed;
	for (long draw = 0; draw < max_draws; draw++) {
		state = state * 214013u + 2531011u;
		auto length = static_cast<std::uint64_t>(d->length);
		long k = static_cast<long>(length <= 32768 ? (state >> 16 & 0x7FFF) % length
							   : state * length >> 32);
		long first = starts[static_cast<std::size_t>(d->base + k)];
		if (first < 0)
			continue;
		scanner s{file, static_cast<std::size_t>(first)};
		std::string text;
		for (int c; (c = s.get()) > 0;)
			text += static_cast<char>(c);
		return text + "\n";
	}
	return std::nullopt;
}

} // namespace reference
