#include "entry_file.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <map>

#include "error_report.h"
#include "generator.h"

std::int32_t draw_base;
std::int32_t body_length = -1;

static bool
is_whitespace(int c)
{
	return c == ' ' || (c >= '\t' && c <= '\r');
}

// Reads past the next separator; returns 0 there, or stream_end or stream_error.
static int
skip_past_separator(entry_stream *stream)
{
	int c;
	while ((c = stream_get(stream)) > 0)
		;
	return c;
}

header_outcome
find_drawable_stretch(entry_stream *stream)
{
	int c = skip_past_separator(stream);
	if (c == stream_error)
		return header_outcome::read_error;
	if (c == stream_end)
		return header_outcome::no_separator;

	// The header's last 40 bytes lead to the first entry when there are more than 40.
	std::int64_t header_end = stream_position(stream);
	std::int64_t base = header_end > 40 ? header_end - 40 : header_end;

	std::int64_t size;
	if (!stream_seek_end(stream, &size))
		return header_outcome::seek_failed;
	if (size >= INT64_C(0x80000000))
		return header_outcome::too_large;
	draw_base = static_cast<std::int32_t>(base);
	body_length = static_cast<std::int32_t>(size - base);
	return header_outcome::found;
}

void
scan_header(entry_stream *stream)
{
	switch (find_drawable_stretch(stream)) {
	case header_outcome::read_error:
		fail_with_error(stream->path, 1);
	case header_outcome::no_separator:
		fail_with_message("File contains no separators.\n", 2);
	case header_outcome::seek_failed:
		fail_with_error("fseek 1", 1);
	case header_outcome::too_large:
		fail_with_message("File is too large.\n", 2);
	case header_outcome::found:
		break;
	}
}

std::int64_t
draw_offset()
{
	// One draw reaches only 32768 positions; a longer stretch takes three, so that every
	// entry of a large file can be printed.
	std::uint64_t r = static_cast<std::uint64_t>(generator_next());
	if (body_length > 32768) {
		r = r * 32768 + static_cast<std::uint64_t>(generator_next());
		r = r * 32768 + static_cast<std::uint64_t>(generator_next());
	}
	return draw_base + static_cast<std::int64_t>(r % static_cast<std::uint64_t>(body_length));
}

// Ends a scan whose search for a separator returned c: skips the whitespace after it.
static scan_result
entry_after_separator(entry_stream *stream, int c)
{
	if (c == 0)
		while (is_whitespace(c = stream_get(stream)))
			;
	if (c == stream_error)
		return {scan_outcome::read_error, 0, 0};
	if (c == stream_end)
		return {scan_outcome::dead, 0, stream_position(stream)};
	return {scan_outcome::entry, c, 0};
}

scan_result
scan_to_entry(entry_stream *stream)
{
	return entry_after_separator(stream, skip_past_separator(stream));
}

// Doubles the entry's block, keeping its contents.
static bool
enlarge(entry_text *text)
{
	if (text->capacity > SIZE_MAX / 2)
		return false;
	char *larger = static_cast<char *>(std::realloc(text->bytes, text->capacity * 2));
	if (larger == nullptr)
		return false;
	text->bytes = larger;
	text->capacity *= 2;
	return true;
}

read_outcome
read_entry(entry_stream *stream, int first_byte, entry_text *text)
{
	text->capacity = 80;
	text->length = 0;
	text->bytes = static_cast<char *>(std::malloc(text->capacity));
	if (text->bytes == nullptr)
		return read_outcome::no_first_block;
	// An empty entry is the separator itself: nothing of the next entry belongs to it.
	int c = first_byte;
	for (; c > 0; c = stream_get(stream)) {
		text->bytes[text->length++] = static_cast<char>(c);
		if (text->length == text->capacity - 1 && !enlarge(text))
			return read_outcome::no_larger_block;
	}
	text->bytes[text->length] = '\0';
	return c == stream_error ? read_outcome::read_error : read_outcome::complete;
}

// Reads the entry that begins with first_byte and writes it with a line end.
static void
print_entry(entry_stream *stream, int first_byte)
{
	entry_text text;
	switch (read_entry(stream, first_byte, &text)) {
	case read_outcome::no_first_block:
		fail_with_message("can't allocate any memory\n", 3);
	case read_outcome::no_larger_block:
		fail_with_message("can't allocate more memory\n", 3);
	case read_outcome::read_error:
		fail_with_error(stream->path, 1);
	case read_outcome::complete:
		break;
	}
	if (std::printf("%s\n", text.bytes) < 0 || std::fflush(stdout) != 0)
		fail_with_error("stdout", 1);
	std::free(text.bytes);
}

// Stretches of offsets from which a scan was seen to meet the end of the file, first offset to
// last, inclusive. A scan from o that met the end at p proves every offset in o..p dead: a scan
// from any of them meets the same bytes, or a tail of them.
using dead_stretches = std::map<std::int64_t, std::int64_t>;

// Enough to remember every failed draw of any run that is not hopeless, in little memory.
static const std::size_t most_dead_stretches = 65536;

// The last offset of the dead stretch holding offset, or -1.
static std::int64_t
dead_stretch_end(const dead_stretches &dead, std::int64_t offset)
{
	auto after = dead.upper_bound(offset);
	if (after == dead.begin())
		return -1;
	auto holding = std::prev(after);
	return offset <= holding->second ? holding->second : -1;
}

// Adds first..last, merged with the stretches it touches.
static void
remember_dead(dead_stretches &dead, std::int64_t first, std::int64_t last)
{
	auto next = dead.upper_bound(first);
	if (next != dead.begin() && std::prev(next)->second + 1 >= first) {
		auto before = std::prev(next);
		first = before->first;
		last = std::max(last, before->second);
		dead.erase(before);
	}
	while (next != dead.end() && next->first <= last + 1) {
		last = std::max(last, next->second);
		next = dead.erase(next);
	}
	if (dead.size() < most_dead_stretches)
		dead[first] = last;
}

// Seeks to offset and scans from there. A search for the separator that runs into a stretch
// known to be dead ends there, dead as well: from there on it would meet the same bytes in the
// same way. So no byte needs to be read twice however many draws fail.
static scan_result
scan_from(entry_stream *stream, std::int64_t offset, const dead_stretches &dead)
{
	if (!stream_seek(stream, offset))
		return {scan_outcome::seek_failed, 0, 0};
	auto known = dead.upper_bound(offset);
	std::int64_t stop = known == dead.end() ? INT64_MAX : known->first;
	int c;
	while ((c = stream_get(stream)) > 0)
		if (stream_position(stream) >= stop)
			return {scan_outcome::dead, 0, known->second};
	return entry_after_separator(stream, c);
}

// One forward pass over the drawable stretch: entry when some offset in it reaches an entry,
// dead when none does, or the failure met. Each scan starts just past where the last one met
// the end, so no byte is read twice; everything passed over is remembered as dead.
static scan_outcome
any_entry_reachable(entry_stream *stream, dead_stretches &dead)
{
	std::int64_t offset = draw_base;
	std::int64_t end = static_cast<std::int64_t>(draw_base) + body_length;
	scan_outcome outcome = scan_outcome::dead;
	while (offset < end) {
		std::int64_t known = dead_stretch_end(dead, offset);
		if (known >= 0) {
			offset = known + 1;
			continue;
		}
		scan_result result = scan_from(stream, offset, dead);
		if (result.outcome != scan_outcome::dead) {
			outcome = result.outcome;
			break;
		}
		offset = result.end + 1;
	}
	if (offset > draw_base)
		remember_dead(dead, draw_base, offset - 1);
	return outcome;
}

scan_result
draw_until_entry(entry_stream *stream)
{
	scan_result none = {scan_outcome::dead, 0, 0};
	if (body_length <= 0)
		return none;
	dead_stretches dead;
	bool verified = false;
	// After 2^32 draws the generator has gone through all its states and the draws repeat:
	// a run that has reached no entry by then never will.
	for (std::uint64_t draws = 0; draws < (UINT64_C(1) << 32); draws++) {
		std::int64_t offset = draw_offset();
		if (dead_stretch_end(dead, offset) >= 0)
			continue;
		scan_result result = scan_from(stream, offset, dead);
		if (result.outcome != scan_outcome::dead)
			return result;
		remember_dead(dead, offset, result.end);
		// A first failed draw is the cue to check once whether redrawing can ever succeed.
		if (!verified) {
			verified = true;
			scan_outcome pass = any_entry_reachable(stream, dead);
			if (pass == scan_outcome::dead)
				return none;
			if (pass != scan_outcome::entry)
				return {pass, 0, 0};
		}
	}
	return none;
}

void
print_random_entry(entry_stream *stream)
{
	scan_result result = draw_until_entry(stream);
	switch (result.outcome) {
	case scan_outcome::dead:
		fail_with_message("File contains no entries.\n", 2);
	case scan_outcome::seek_failed:
		fail_with_error("fseek 2", 1);
	case scan_outcome::read_error:
		fail_with_error(stream->path, 1);
	case scan_outcome::entry:
		break;
	}
	print_entry(stream, result.first_byte);
}
