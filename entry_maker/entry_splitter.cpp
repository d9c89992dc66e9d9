#include "entry_splitter.h"

#include <stdlib.h>
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

// Field by field: a copy of a whole would be kept in a data section of its own on Windows.
void
follow_start(line_follower *f)
{
	f->line = 1;
	f->line_start = true;
	f->percent = percent_line::none;
	f->separator = 0;
}

// The lines are found with memchr; only one that begins with "%" is followed a byte at a time.
void
follow_lines(line_follower *f, const char *bytes, size_t length)
{
	const char *end = bytes + length;
	for (const char *at = bytes; at < end;) {
		if (f->line_start) {
			f->line_start = false;
			f->percent = *at == '%' ? percent_line::blanks : percent_line::none;
			at += *at == '%';
		} else if (f->percent != percent_line::none) {
			char c = *at++;
			if (c == '\n')
				follow_line_end(f);
			else if (c != ' ' && c != '\t')
				f->percent = percent_line::none;
		} else {
			const char *lf = static_cast<const char *>(memchr(at, '\n', end - at));
			if (lf == nullptr)
				return;
			f->line++;
			f->line_start = true;
			at = lf + 1;
		}
	}
}

void
follow_line_end(line_follower *f)
{
	if (f->percent == percent_line::blanks && f->separator == 0)
		f->separator = f->line;
	f->percent = percent_line::none;
	f->line++;
	f->line_start = true;
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
void
lead_start(lead_so_far *lead)
{
	*lead = {true, false, 0, 0, {0, 0}, 0};
}

// Starts an entry with no bytes yet.
static void
clear_entry(entry_splitter *s)
{
	s->line_known = false;
	s->so_far = {};
	lead_start(&s->so_far.lead);
}

void
follow_lead(lead_so_far *lead, uint64_t at, const unsigned char *part, size_t length)
{
	size_t i = 0;
	for (; i < length && lead->blank; i++, at++) {
		unsigned char c = part[i];
		if (c == '\n') {
			lead->line_start = at + 1;
			lead->mixed = false;
		} else if (!is_whitespace(c)) {
			lead->blank = false;
			lead->text_start = at;
			break;
		} else if (c != ' ') {
			lead->mixed = true;
		}
	}
	// The bytes from the text's start on, as far as a no-break space reaches.
	for (; i < length && !lead->blank && lead->head_length < sizeof lead->head; i++)
		lead->head[lead->head_length++] = part[i];
}

entry_lead
lead_of(const lead_so_far *lead)
{
	if (lead->blank)
		return {0, 0, false, {0, 0}, 0};
	return {lead->line_start,
		lead->text_start - lead->line_start,
		lead->mixed,
		{lead->head[0], lead->head[1]},
		lead->head_length};
}

// The lead of an entry in one block: it runs for every entry, so it is inlined there.
[[gnu::always_inline]] inline static entry_lead
lead_in_block(const unsigned char *bytes, size_t length, bool *blank)
{
	lead_so_far lead;
	lead_start(&lead);
	follow_lead(&lead, 0, bytes, length);
	*blank = lead.blank;
	return lead_of(&lead);
}

entry_lead
lead_of_bytes(const unsigned char *bytes, size_t length, bool *blank)
{
	return lead_in_block(bytes, length, blank);
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

void
split_free(entry_splitter *s)
{
	free(s->held);
	s->held = nullptr;
	s->held_room = 0;
}

// Adds part to the entry in progress, all but its bytes.
static void
take_part(entry_splitter *s, const unsigned char *part, size_t length)
{
	if (length == 0)
		return;
	entry_so_far *so_far = &s->so_far;
	size_t from = 0;
	if (so_far->raw_length == 0) {
		s->first_byte = part[0];
		so_far->percent_stop = part[0] == '%' ? UINT64_MAX : 0;
		from = 1;
	}
	follow_lead(&so_far->lead, so_far->raw_length, part, length);
	if (s->lines && so_far->percent_stop == UINT64_MAX)
		for (size_t i = from; i < length; i++)
			if (part[i] != ' ' && part[i] != '\t') {
				so_far->percent_stop = so_far->raw_length + i;
				break;
			}
	so_far->last = part[length - 1];
	so_far->raw_length += length;
}

// Hands length bytes of the entry in progress to the piece handler.
static void
give(const entry_splitter *s, const void *bytes, size_t length)
{
	if (length > 0 && s->piece != nullptr)
		s->piece(s->context, static_cast<const char *>(bytes), length);
}

// Holds part back, behind the bytes held already.
static void
hold(entry_splitter *s, const unsigned char *part, size_t length)
{
	size_t *held = &s->so_far.held_length;
	make_room(&s->held, &s->held_room, *held + length);
	memcpy(s->held + *held, part, length);
	*held += length;
}

// Adds the bytes of part to the entry in progress. Those of a "%" line that may yet separate
// are held back; of the others, all but the last are sure to be the entry's own.
static void
add_part(entry_splitter *s, const unsigned char *part, size_t length)
{
	size_t *held = &s->so_far.held_length;
	if (s->piece == nullptr || length == 0)
		return;
	if (s->percent != percent_line::none) {
		hold(s, part, length);
		return;
	}
	give(s, s->held, *held);
	give(s, part, length - 1);
	*held = 0;
	hold(s, part + length - 1, 1);
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
	add_part(s, block + begin, end - begin);
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

// The LF that ends raw_length bytes whose last is last, which the entry leaves out.
static size_t
line_end_length(unsigned char last, uint64_t raw_length)
{
	return raw_length > 0 && last == '\n' ? 1 : 0;
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
	for (uint64_t i = 1; i < entry->length; i++)
		if (entry->bytes[i] != ' ' && entry->bytes[i] != '\t')
			return false;
	return true;
}

// Hands entry over, whose first byte is at first, at begin in block unless in an earlier one; a
// blank one is silent with lines, and when quiet, and is then dropped here unless its pieces
// were handed. Unless every entry is numbered, only the rare entry that may be warned of needs
// its line. It runs for every entry, so it is inlined.
[[gnu::always_inline]] inline static void
hand_over(entry_splitter *s, split_entry *entry, const unsigned char *first, bool quiet,
	  line_count *count, const unsigned char *block, size_t begin)
{
	if (entry->blank) {
		entry->silent = s->lines || quiet;
		if (entry->silent && entry->bytes != nullptr)
			return;
		if (!entry->silent)
			entry->line = entry_start_line(s, count, block, begin);
	} else {
		if ((entry->lead.indent > 0) | s->numbered_entries)
			entry->line = entry_start_line(s, count, block, begin);
		if (*first == '%' && s->lines && entry->bytes != nullptr)
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
	entry_so_far *so_far = &s->so_far;
	bool in_block = so_far->raw_length == 0;
	if (!in_block)
		add_part(s, block + begin, end - begin);
	take_part(s, block + begin, end - begin);
	uint64_t length = so_far->raw_length - line_end_length(so_far->last, so_far->raw_length);
	split_entry entry = {nullptr,
			     length,
			     0,
			     so_far->lead.blank,
			     false,
			     lead_of(&so_far->lead),
			     s->lines && length > 0 && s->first_byte == '%' &&
				 so_far->percent_stop >= length};
	if (in_block)
		entry.bytes = reinterpret_cast<const char *>(block + begin);
	else // The bytes held are its last, its line end among them.
		give(s, s->held, so_far->held_length - (so_far->raw_length - length));
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
	entry_lead lead = lead_in_block(bytes, length, &blank);
	split_entry entry = {reinterpret_cast<const char *>(bytes),
			     length - line_end_length(length > 0 ? bytes[length - 1] : 0, length),
			     0,
			     blank,
			     false,
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

// Follows a line that begins with "%" from block[i], past the "%" and any blanks or tabs: found
// with next just past its LF when it is a separator, none with next at the byte that shows it is
// not, undecided when limit comes first.
static boundary
follow_percent_line(const unsigned char *block, size_t i, size_t limit)
{
	for (; i < limit; i++) {
		unsigned char c = block[i];
		if (c == ' ' || c == '\t')
			continue;
		if (c == '\n')
			return {boundary_kind::found, 0, i + 1, percent_line::none};
		return {boundary_kind::none, 0, i, percent_line::none};
	}
	return {boundary_kind::undecided, 0, limit, percent_line::blanks};
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
			boundary b = follow_percent_line(block, percent + 1, limit);
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
	boundary b = follow_percent_line(block, 0, limit);
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
		// A "%" line at the very end separates.
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
