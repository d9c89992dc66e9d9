#include "entry_splitter.h"

#include <string.h>

#include "byte_search.h"

// The line ends in bytes. Each run of 255 bytes is counted in a byte, which the compiler turns
// into byte-wide vector adds; a wider count would spend its time widening.
static uint64_t
count_line_ends(const unsigned char *bytes, size_t length)
{
	uint64_t count = 0;
	for (size_t start = 0; start < length; start += 255) {
		size_t end = length - start < 255 ? length : start + 255;
		unsigned char in_run = 0;
		for (size_t i = start; i < end; i++)
			in_run += bytes[i] == '\n';
		count += in_run;
	}
	return count;
}

// Starts an entry with no bytes yet.
static void
clear_entry(entry_splitter *s)
{
	s->line_known = false;
	s->raw_length = 0;
	s->kept_length = 0;
	s->overflowed = false;
	s->blank = true;
}

void
split_start(entry_splitter *s)
{
	s->block_line = 1;
	s->line_start = true;
	s->entry_ended = false;
	clear_entry(s);
}

// Adds part to the entry in progress, all but its bytes.
static void
take_part(entry_splitter *s, const unsigned char *part, size_t length)
{
	s->blank = s->blank && all_whitespace(part, length);
	if (length >= 2) {
		s->tail[0] = part[length - 2];
		s->tail[1] = part[length - 1];
	} else if (length == 1) {
		s->tail[0] = s->tail[1];
		s->tail[1] = part[0];
	}
	s->raw_length += length;
}

// Adds the bytes of part to the gathered entry, as far as they fit.
static void
gather_part(entry_splitter *s, const unsigned char *part, size_t length)
{
	if (s->kept == nullptr || s->overflowed)
		return;
	if (length > s->kept_room - s->kept_length) {
		s->overflowed = true;
		return;
	}
	memcpy(s->kept + s->kept_length, part, length);
	s->kept_length += length;
}

// The LF or CR LF that ends the entry's bytes, which the entry leaves out.
static uint64_t
line_end_length(const entry_splitter *s)
{
	if (s->raw_length == 0 || s->tail[1] != '\n')
		return 0;
	return s->raw_length >= 2 && s->tail[0] == '\r' ? 2 : 1;
}

// Ends the entry in progress at end, its bytes in this block from begin on, and hands it over.
// An empty one is no entry when it stands before the first "%" line or after the last.
static void
end_entry(entry_splitter *s, const unsigned char *block, size_t begin, size_t end,
	  bool quiet_when_empty)
{
	bool in_block = s->raw_length == 0;
	if (!in_block)
		gather_part(s, block + begin, end - begin);
	take_part(s, block + begin, end - begin);
	split_entry entry = {nullptr, s->raw_length - line_end_length(s), 0, s->blank};
	if (in_block)
		entry.bytes = reinterpret_cast<const char *>(block + begin);
	else if (s->kept != nullptr && !s->overflowed)
		entry.bytes = s->kept;
	if (!s->blank) {
		s->handler(s->context, &entry);
	} else if (!s->lines && (s->raw_length > 0 || !quiet_when_empty)) {
		entry.line =
		    s->line_known ? s->entry_line : s->block_line + count_line_ends(block, begin);
		s->handler(s->context, &entry);
	}
	clear_entry(s);
}

enum class boundary_kind { none, found, undecided };

// Where an entry ends: the entry's last byte is before end, and the next begins at next.
struct boundary {
	boundary_kind kind;
	size_t end;
	size_t next;
};

// The next line end in block[from..limit).
static boundary
next_line_end(const unsigned char *block, size_t from, size_t limit)
{
	size_t lf = find_byte(block, from, limit, '\n');
	if (lf == limit)
		return {boundary_kind::none, 0, 0};
	return {boundary_kind::found, lf + 1, lf + 1};
}

// The length of the "%" line at percent: 0 when it is none, -1 when the bytes that tell are
// not in the block yet.
static int
separator_length(const unsigned char *block, size_t percent, size_t length, bool at_end)
{
	size_t rest = length - percent;
	if (rest == 1)
		return at_end ? 1 : -1;
	if (block[percent + 1] == '\n')
		return 2;
	if (block[percent + 1] != '\r')
		return 0;
	if (rest == 2)
		return at_end ? 0 : -1;
	return block[percent + 2] == '\n' ? 3 : 0;
}

// The next "%" line that begins in block[from..limit); the bytes after it may reach to length.
// '%' is rare in text, so the search goes from one to the next.
static boundary
next_separator(const entry_splitter *s, const unsigned char *block, size_t from, size_t limit,
	       size_t length, bool at_end)
{
	for (;;) {
		size_t percent = find_byte(block, from, limit, '%');
		if (percent == limit)
			return {boundary_kind::none, 0, 0};
		bool line_start = percent == 0 ? s->line_start : block[percent - 1] == '\n';
		int separator = line_start ? separator_length(block, percent, length, at_end) : 0;
		if (separator < 0)
			return {boundary_kind::undecided, percent, percent};
		if (separator > 0)
			return {boundary_kind::found, percent,
				percent + static_cast<size_t>(separator)};
		from = percent + 1;
	}
}

// The offset of the first NUL or 0x1A in block, or length.
static size_t
first_refused(const unsigned char *block, size_t length)
{
	size_t nul = find_byte(block, 0, length, 0);
	return find_byte(block, 0, nul, 0x1A);
}

split_result
split_block(entry_splitter *s, const unsigned char *block, size_t length, bool at_end)
{
	size_t limit = first_refused(block, length);
	size_t begin = 0, used = length;
	for (;;) {
		boundary b = s->lines ? next_line_end(block, begin, limit)
				      : next_separator(s, block, begin, limit, length, at_end);
		if (b.kind == boundary_kind::none)
			break;
		if (b.kind == boundary_kind::undecided) {
			used = b.end;
			break;
		}
		end_entry(s, block, begin, b.end, !s->entry_ended);
		s->entry_ended = true;
		begin = b.next;
	}
	if (limit < length) {
		split_outcome refused =
		    block[limit] == 0 ? split_outcome::nul_byte : split_outcome::byte_1a;
		return {refused, s->block_line + count_line_ends(block, limit), 0};
	}
	if (!s->line_known) {
		s->entry_line = s->block_line + count_line_ends(block, begin);
		s->line_known = true;
	}
	gather_part(s, block + begin, used - begin);
	take_part(s, block + begin, used - begin);
	s->block_line += count_line_ends(block, used);
	if (used > 0)
		s->line_start = block[used - 1] == '\n';
	if (at_end)
		end_entry(s, block, used, used, true);
	return {split_outcome::ok, 0, used};
}
