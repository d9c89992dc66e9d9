#include "entry_splitter.h"

#include <string.h>

#include "byte_search.h"
#include "room.h"

// Each run of 240 bytes is counted in a byte, which the compiler turns into byte-wide vector
// adds; a wider count would spend its time widening. 240 is under 256 and a whole number of
// vectors, so no run ends in a byte at a time.
uint64_t
count_line_ends(const unsigned char *bytes, size_t length)
{
	uint64_t count = 0;
	for (size_t start = 0; start < length; start += 240) {
		size_t end = length - start < 240 ? length : start + 240;
		unsigned char in_run = 0;
		for (size_t i = start; i < end; i++)
			in_run += bytes[i] == '\n';
		count += in_run;
	}
	return count;
}

// How far the line ends of the block being split are counted: line is the line of block[at].
// The places asked for only grow, so each line end is counted once.
struct line_count {
	bool counted; // else every line is 0
	size_t at;
	uint64_t line;
};

// The line of block[at]. It is asked for rarely, and kept out of the loops over entries, whose
// registers it would take.
[[gnu::noinline]] static uint64_t
line_at(line_count *count, const unsigned char *block, size_t at)
{
	if (!count->counted)
		return 0;
	count->line += count_line_ends(block + count->at, at - count->at);
	count->at = at;
	return count->line;
}

// Starts an entry with no bytes yet.
static void
clear_entry(entry_splitter *s)
{
	s->line_known = false;
	s->so_far = {0, 0, false, {true, 0, 0, 0}, {0, 0}};
}

// Follows the whitespace that begins an entry through part, which begins at offset at of the
// entry; the first other byte ends it.
static void
follow_lead(lead_so_far *lead, uint64_t at, const unsigned char *part, size_t length)
{
	for (size_t i = 0; i < length && lead->blank; i++, at++) {
		unsigned char c = part[i];
		if (at == lead->line_start)
			lead->line_first = c;
		if (c == '\n') {
			lead->line_start = at + 1;
		} else if (!is_whitespace(c)) {
			lead->blank = false;
			lead->text_start = at;
		}
	}
}

// How an entry begins, once its lead has been followed; a blank one has none.
static entry_lead
lead_of(const lead_so_far *lead)
{
	if (lead->blank)
		return {0, 0, false};
	bool indented = lead->line_first == ' ' || lead->line_first == '\t';
	return {lead->line_start, indented ? lead->text_start - lead->line_start : 0,
		lead->line_first == '\t'};
}

entry_lead
lead_of_bytes(const unsigned char *bytes, size_t length, bool *blank)
{
	lead_so_far lead = {true, 0, 0, 0};
	follow_lead(&lead, 0, bytes, length);
	*blank = lead.blank;
	return lead_of(&lead);
}

void
split_start(entry_splitter *s)
{
	s->block_line = 1;
	s->line_start = true;
	s->entry_ended = false;
	s->percent = percent_line::none;
	clear_entry(s);
}

// Adds part to the entry in progress, all but its bytes.
static void
take_part(entry_splitter *s, const unsigned char *part, size_t length)
{
	if (length == 0)
		return;
	if (s->so_far.raw_length == 0)
		s->first_byte = part[0];
	follow_lead(&s->so_far.lead, s->so_far.raw_length, part, length);
	if (length >= 2) {
		s->so_far.tail[0] = part[length - 2];
		s->so_far.tail[1] = part[length - 1];
	} else {
		s->so_far.tail[0] = s->so_far.tail[1];
		s->so_far.tail[1] = part[0];
	}
	s->so_far.raw_length += length;
}

// Adds the bytes of part to the gathered entry, as far as they fit.
static void
gather_part(entry_splitter *s, const unsigned char *part, size_t length)
{
	if (length == 0 || s->so_far.overflowed)
		return;
	size_t needed = s->so_far.kept_length + length;
	bool fits =
	    s->growing ? make_room(&s->kept, &s->kept_room, needed) : needed <= s->kept_room;
	if (!fits || s->kept == nullptr) {
		s->so_far.overflowed = true;
		return;
	}
	memcpy(s->kept + s->so_far.kept_length, part, length);
	s->so_far.kept_length += length;
}

// Adds block[begin..end) to the entry in progress, which goes on into the next block; when the
// entry begins at begin, it begins on line.
static void
take_rest(entry_splitter *s, const unsigned char *block, size_t begin, size_t end, uint64_t line)
{
	if (!s->line_known) {
		s->entry_line = line;
		s->line_known = true;
	}
	gather_part(s, block + begin, end - begin);
	take_part(s, block + begin, end - begin);
}

// Notes the entry in progress in front of a "%" line that runs on into the next block.
static void
mark_entry(entry_splitter *s, percent_line state)
{
	s->percent = state;
	s->before_percent = s->so_far;
}

// The "%" line was one: the entry in progress is what it held in front of it.
static void
return_to_mark(entry_splitter *s)
{
	s->so_far = s->before_percent;
	s->percent = percent_line::none;
}

// The LF or CR LF that ends the raw_length bytes before end, which the entry leaves out.
static size_t
line_end_length(const unsigned char *end, uint64_t raw_length)
{
	if (raw_length == 0 || end[-1] != '\n')
		return 0;
	return raw_length >= 2 && end[-2] == '\r' ? 2 : 1;
}

// The line on which the entry in progress starts, at begin in block unless in an earlier one.
static uint64_t
entry_start_line(const entry_splitter *s, line_count *count, const unsigned char *block,
		 size_t begin)
{
	return s->line_known ? s->entry_line : line_at(count, block, begin);
}

// Whether the line that entry holds, which begins with "%", would separate entries without
// lines. It is rare, and kept out of the hand-over of every entry.
[[gnu::noinline]] static bool
separates(const split_entry *entry)
{
	if (entry->bytes == nullptr)
		return false;
	for (uint64_t i = 1; i < entry->length; i++)
		if (entry->bytes[i] != ' ' && entry->bytes[i] != '\t')
			return false;
	return true;
}

// Hands entry over, whose first byte is at first, at begin in block unless in an earlier one; a
// blank one is dropped with lines, and when quiet. Unless every entry is numbered, only the
// rare entry that may be warned of needs its line. It runs for every entry, so it is inlined.
[[gnu::always_inline]] inline static void
hand_over(entry_splitter *s, split_entry *entry, const unsigned char *first, bool quiet,
	  line_count *count, const unsigned char *block, size_t begin)
{
	if (entry->blank) {
		if (s->lines || quiet)
			return;
		entry->line = entry_start_line(s, count, block, begin);
	} else {
		if ((entry->lead.indent > 0) | s->numbered_entries)
			entry->line = entry_start_line(s, count, block, begin);
		if (*first == '%' && s->lines)
			entry->only_percent = separates(entry);
	}
	s->handler(s->context, entry);
}

// Ends the entry in progress, which began in an earlier block, at end in this one: its bytes
// here run from begin on. One entry in a block at most.
static void
end_spanning_entry(entry_splitter *s, line_count *count, const unsigned char *block, size_t begin,
		   size_t end, bool quiet_when_empty)
{
	bool in_block = s->so_far.raw_length == 0;
	if (!in_block)
		gather_part(s, block + begin, end - begin);
	take_part(s, block + begin, end - begin);
	split_entry entry = {nullptr,
			     s->so_far.raw_length -
				 line_end_length(s->so_far.tail + 2, s->so_far.raw_length),
			     0,
			     s->so_far.lead.blank,
			     lead_of(&s->so_far.lead),
			     false};
	if (in_block)
		entry.bytes = reinterpret_cast<const char *>(block + begin);
	else if (s->kept != nullptr && !s->so_far.overflowed)
		entry.bytes = s->kept;
	hand_over(s, &entry, &s->first_byte, quiet_when_empty && s->so_far.raw_length == 0, count,
		  block, begin);
	clear_entry(s);
}

// Ends the entry in progress at end, its bytes in this block from begin on, and hands it over.
// An empty one is no entry when it stands before the first "%" line or after the last. The
// usual entry lies wholly in the block, and nothing of it was kept between blocks.
static void
end_entry(entry_splitter *s, line_count *count, const unsigned char *block, size_t begin,
	  size_t end, bool quiet_when_empty)
{
	if (s->line_known) {
		end_spanning_entry(s, count, block, begin, end, quiet_when_empty);
		return;
	}
	const unsigned char *bytes = block + begin;
	size_t length = end - begin;
	bool blank;
	entry_lead lead = lead_of_bytes(bytes, length, &blank);
	split_entry entry = {reinterpret_cast<const char *>(bytes),
			     length - line_end_length(bytes + length, length),
			     0,
			     blank,
			     lead,
			     false};
	hand_over(s, &entry, bytes, quiet_when_empty && length == 0, count, block, begin);
}

enum class boundary_kind { none, found, undecided };

// Where an entry ends: the entry's last byte is before end, and the next begins at next. With
// undecided, a "%" line begins at end and runs on past the bytes at hand, in state.
struct boundary {
	boundary_kind kind;
	size_t end;
	size_t next;
	percent_line state;
};

// Follows a line that begins with "%" from block[i], in state: found with next just past its
// LF when it is a separator, none with next at the byte that shows it is not, undecided when
// limit comes first.
static boundary
follow_percent_line(const unsigned char *block, size_t i, size_t limit, percent_line state)
{
	for (; i < limit; i++) {
		unsigned char c = block[i];
		if (state == percent_line::blanks && (c == ' ' || c == '\t'))
			continue;
		if (state == percent_line::blanks && c == '\r') {
			state = percent_line::cr;
			continue;
		}
		if (c == '\n')
			return {boundary_kind::found, 0, i + 1, percent_line::none};
		return {boundary_kind::none, 0, i, percent_line::none};
	}
	return {boundary_kind::undecided, 0, limit, state};
}

// The next "%" line that begins in block[from..limit). '%' is rare in text, so the search goes
// from one to the next.
static boundary
next_separator(const entry_splitter *s, const unsigned char *block, size_t from, size_t limit)
{
	for (;;) {
		size_t percent = find_byte(block, from, limit, '%');
		if (percent == limit)
			return {boundary_kind::none, 0, 0, percent_line::none};
		bool line_start = percent == 0 ? s->line_start : block[percent - 1] == '\n';
		if (line_start) {
			boundary b =
			    follow_percent_line(block, percent + 1, limit, percent_line::blanks);
			if (b.kind != boundary_kind::none) {
				b.end = percent;
				return b;
			}
		}
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

// Goes on with a "%" line that the last block ended in: returns where the search for entries
// goes on. When it was a separator, the entry in front of it ends; until it is known, its bytes
// stay part of the entry in progress.
static size_t
finish_percent_line(entry_splitter *s, line_count *count, const unsigned char *block, size_t limit,
		    size_t *begin)
{
	boundary b = follow_percent_line(block, 0, limit, s->percent);
	if (b.kind == boundary_kind::undecided) {
		s->percent = b.state;
		return limit;
	}
	if (b.kind == boundary_kind::none) {
		s->percent = percent_line::none;
		return b.next;
	}
	return_to_mark(s);
	end_entry(s, count, block, 0, 0, !s->entry_ended);
	s->entry_ended = true;
	*begin = b.next;
	return b.next;
}

// Hands over each line that ends in block[..limit), and returns where the rest begins. Each
// entry is one line, so the count of lines goes on an entry at a time.
static size_t
split_lines(entry_splitter *s, line_count *count, const unsigned char *block, size_t limit)
{
	size_t begin = 0;
	for (;;) {
		size_t lf = find_byte(block, begin, limit, '\n');
		if (lf == limit)
			return begin;
		end_entry(s, count, block, begin, lf + 1, false);
		begin = lf + 1;
		count->at = begin;
		count->line++;
	}
}

// Hands over each entry that ends at a "%" line in block[..limit), the one in progress from
// begin on, the search going on at from; returns where the rest begins. A "%" line that runs on
// past limit waits for the next block.
static size_t
split_entries(entry_splitter *s, line_count *count, const unsigned char *block, size_t limit,
	      size_t begin, size_t from)
{
	for (;;) {
		boundary b = next_separator(s, block, from, limit);
		if (b.kind == boundary_kind::none)
			return begin;
		if (b.kind == boundary_kind::undecided) {
			take_rest(s, block, begin, b.end, line_at(count, block, begin));
			mark_entry(s, b.state);
			return b.end;
		}
		end_entry(s, count, block, begin, b.end, !s->entry_ended);
		s->entry_ended = true;
		begin = from = b.next;
	}
}

split_result
split_block(entry_splitter *s, const unsigned char *block, size_t length, bool at_end)
{
	size_t limit = first_refused(block, length);
	line_count count = {!s->unnumbered, 0, s->block_line};
	size_t begin = 0, from = 0;
	if (s->percent != percent_line::none)
		from = finish_percent_line(s, &count, block, limit, &begin);
	if (s->percent == percent_line::none)
		begin = s->lines ? split_lines(s, &count, block, limit)
				 : split_entries(s, &count, block, limit, begin, from);
	if (limit < length) {
		split_outcome refused =
		    block[limit] == 0 ? split_outcome::nul_byte : split_outcome::byte_1a;
		return {refused, line_at(&count, block, limit)};
	}
	take_rest(s, block, begin, length, line_at(&count, block, begin));
	s->block_line = line_at(&count, block, length);
	if (length > 0)
		s->line_start = block[length - 1] == '\n';
	if (at_end) {
		// A "%" line of blanks at the very end separates; one ending in a lone CR does not.
		if (s->percent == percent_line::blanks) {
			return_to_mark(s);
			end_entry(s, &count, block, length, length, !s->entry_ended);
			s->entry_ended = true;
		}
		s->percent = percent_line::none;
		end_entry(s, &count, block, length, length, true);
	}
	return {split_outcome::ok, 0};
}
