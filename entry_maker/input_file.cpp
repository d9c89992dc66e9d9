#include "input_file.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "byte_search.h"
#include "code_page.h"
#include "error_report.h"
#include "room.h"
#include "system_calls.h"
#include "system_file.h"
#include "temporaries.h"

enum { input_block_size = 65536 };

// Bytes kept are checked as UTF-8 until their stray bytes outnumber its characters by this
// many: text in an ANSI code page soon does, and is read on unchecked.
enum { stray_allowance = 16 };

// The text handed to the splitter: a block as it was read, or what a block decodes into as
// UTF-8, behind a byte held back from the block before: a CR, which may be the first of a CR LF,
// or a 0x1A, which may yet turn out to end the text.
static unsigned char text_block[1 + utf8_room(most_units(input_block_size))];
static unsigned char *const text_at = text_block + 1;
// A block read, to be decoded, and what it decodes into; then, a part of an entry being stored.
// The blocks are static, not on the stack: Windows commits a stack a page at a time, so frames
// this large would have every page probed at each call.
static unsigned char raw_block[input_block_size];
static uint16_t unit_block[most_units(input_block_size)];
// A part of an entry of decoded text, stored in the code page: at most what a block holds.
static char *stored;
static size_t stored_room;

// One input being read.
struct reading {
	entry_splitter *splitter; // splits the text as it is handed over
	input_text *text;
	text_decoder decoder; // decodes the text, or checks that bytes kept would decode
	unsigned char held;   // text_block[0]: 0x1A after a run of them, or a CR, else 0
	// With decoded text: where each entry goes once it is stored in the code page, a piece at
	// a time when it spans blocks.
	entry_handler *handler;
	entry_piece *piece;
	void *context;
	// The entry being stored.
	bool storing;
	text_decoder utf8; // its text, which a piece may end inside a character of
	lead_so_far lead;  // of what is stored
	uint64_t stored_length;
	uint64_t line;      // its first
	uint64_t unit_line; // the line of unit_block[0]
	// Without lines, in a code page of best fits: lines that the text did not hold as lines of
	// only "%", but what is stored does.
	bool following;
	line_follower lines;
	size_t misplaced_before; // refused in front of the entry
};

// The line ends among units.
static uint64_t
count_unit_line_ends(const uint16_t *units, size_t count)
{
	uint64_t lines = 0;
	for (size_t i = 0; i < count; i++)
		lines += units[i] == '\n';
	return lines;
}

// Folds each CR LF in bytes into a LF, in place, and returns the length left. The text from one
// CR to the next moves down as a whole, without the CR when a LF follows it: LF text moves not
// at all, and CR LF text a line at a time.
static size_t
fold_line_ends(unsigned char *bytes, size_t length)
{
	size_t to = find_byte(bytes, 0, length, '\r');
	for (size_t cr = to; cr < length;) {
		size_t next = find_byte(bytes, cr + 1, length, '\r');
		size_t from = cr + 1 < length && bytes[cr + 1] == '\n' ? cr + 1 : cr;
		memmove(bytes + to, bytes + from, next - from);
		to += next - from;
		cr = next;
	}
	return to;
}

// Splits the length bytes at text_at, each CR LF folded into a LF: mirl reads either as a line
// end, so the text's line ends do not change the file. A CR at their end waits for the next
// block, which may begin with its LF; so does a run of 0x1A, which is the end mark of DOS only
// at the very end. Text after such a run is refused at the run's first byte.
static split_result
split_text_block(reading *r, size_t length, bool at_end)
{
	size_t run = 0;
	while (run < length && text_at[length - 1 - run] == 0x1A)
		run++;
	bool run_goes_on = r->held == 0x1A && run == length;
	unsigned char *block = text_at;
	if (r->held != 0 && !run_goes_on) {
		block = text_block;
		length++;
	}
	length = fold_line_ends(block, length - run);
	bool cr_waits = run == 0 && !at_end && length > 0 && block[length - 1] == '\r';
	r->held = run_goes_on || run > 0 ? 0x1A : cr_waits ? '\r' : 0;
	split_result result = split_block(r->splitter, block, length - cr_waits, at_end);
	text_block[0] = r->held;
	return result;
}

// What the splitter found, as the reading's outcome.
static input_result
of_split(split_result result)
{
	switch (result.outcome) {
	case split_outcome::nul_byte:
		return {input_outcome::nul_byte, result.line, 0};
	case split_outcome::byte_1a:
		return {input_outcome::byte_1a, result.line, 0};
	case split_outcome::ok:
		break;
	}
	return {input_outcome::ok, 0, 0};
}

// Lists a character that the code page does not hold as itself: a best fit among the first of
// them, any other among those refused.
static void
list_misplaced(void *context, size_t unit, const misplacement *made)
{
	reading *r = static_cast<reading *>(context);
	input_text *text = r->text;
	uint64_t line = r->unit_line + count_unit_line_ends(unit_block, unit);
	misplaced_place place = {line, made->code, made->byte, made->fit};
	if (made->byte == best_fit) {
		if (text->fit_count++ < most_misplaced)
			text->fits[text->fit_count - 1] = place;
	} else if (text->misplaced_count < most_misplaced) {
		text->misplaced[text->misplaced_count++] = place;
	}
}

// Starts storing an entry that begins on line.
static void
start_storing(reading *r, uint64_t line)
{
	r->storing = true;
	decode_start(&r->utf8, text_encoding::utf8);
	lead_start(&r->lead);
	r->stored_length = 0;
	r->line = r->unit_line = line;
	r->following = !r->splitter->lines && !code_page_is_utf8();
	r->misplaced_before = r->text->misplaced_count;
	follow_start(&r->lines);
}

// Stores length bytes of an entry of decoded text, split as UTF-8, in the code page a block at a
// time, at stored + at; returns where the stored bytes end.
static size_t
store_part(reading *r, const unsigned char *bytes, size_t length, size_t at)
{
	for (size_t part; length > 0; bytes += part, length -= part) {
		part = length < input_block_size ? length : size_t{input_block_size};
		size_t units = decode_block(&r->utf8, bytes, part, false, unit_block).units;
		size_t room = encoded_room(unit_block, units);
		make_room(&stored, &stored_room, at + room);
		size_t n =
		    encode_units(unit_block, units, reinterpret_cast<unsigned char *>(stored) + at,
				 room, list_misplaced, r);
		if (r->following)
			follow_lines(&r->lines, stored + at, n);
		at += n;
		r->unit_line += count_unit_line_ends(unit_block, units);
	}
	return at;
}

// Refuses, among the misplaced, a line that the stored entry holds as one of only "%" and the
// text did not: it would separate entries once -x wrote it out. A character of the entry that
// became a line end was refused already.
static void
refuse_separator(reading *r)
{
	// A line end or the end of the text follows the entry, as -x writes it.
	follow_line_end(&r->lines);
	if (r->following && r->lines.separator > 0 &&
	    r->text->misplaced_count == r->misplaced_before &&
	    r->text->misplaced_count < most_misplaced)
		r->text->misplaced[r->text->misplaced_count++] = {r->line + r->lines.separator - 1,
								  0, separator_made, 0};
}

// Stores a piece of an entry that spans blocks, and hands it on.
static void
store_piece(void *context, const char *bytes, size_t length)
{
	reading *r = static_cast<reading *>(context);
	if (!r->storing)
		start_storing(r, r->splitter->entry_line);
	size_t n = store_part(r, reinterpret_cast<const unsigned char *>(bytes), length, 0);
	follow_lead(&r->lead, r->stored_length, reinterpret_cast<const unsigned char *>(stored), n);
	r->stored_length += n;
	if (r->piece != nullptr && n > 0)
		r->piece(r->context, stored, n);
}

// Stores an entry of decoded text in the code page, unless its pieces were, and hands it on. How
// it begins is seen in what is stored: a character may become a blank. A blank one that lies in
// a block is ASCII, which every code page chosen keeps.
static void
store_entry(void *context, const split_entry *entry)
{
	reading *r = static_cast<reading *>(context);
	split_entry converted = *entry;
	if (entry->bytes != nullptr && !entry->blank) {
		start_storing(r, entry->line);
		converted.length = store_part(
		    r, reinterpret_cast<const unsigned char *>(entry->bytes), entry->length, 0);
		converted.bytes = stored;
		converted.lead = lead_of_bytes(reinterpret_cast<const unsigned char *>(stored),
					       converted.length, &converted.blank);
	} else if (entry->bytes == nullptr) {
		// Its pieces may all have been line end.
		if (!r->storing)
			start_storing(r, entry->line);
		converted.length = r->stored_length;
		converted.blank = r->lead.blank;
		converted.lead = lead_of(&r->lead);
	}
	if (r->storing)
		refuse_separator(r);
	r->storing = false;
	r->stored_length = 0;
	lead_start(&r->lead);
	r->handler(r->context, &converted);
}

// Decodes length bytes into UTF-8 and splits them.
static input_result
split_decoded(reading *r, const unsigned char *bytes, size_t length, bool at_end)
{
	decode_result decoded = decode_block(&r->decoder, bytes, length, at_end, unit_block);
	size_t utf8_length = encode_utf8(unit_block, decoded.units, text_at);
	bool fault = decoded.outcome != decode_outcome::ok;
	input_result result = of_split(split_text_block(r, utf8_length, at_end && !fault));
	if (result.outcome != input_outcome::ok)
		return result;
	uint64_t line = r->splitter->block_line;
	switch (decoded.outcome) {
	case decode_outcome::invalid_utf8:
		return {input_outcome::invalid_utf8, line, 0};
	case decode_outcome::odd_length:
		return {input_outcome::odd_length, line, 0};
	case decode_outcome::unpaired_surrogate:
		return {input_outcome::unpaired_surrogate, line, decoded.surrogate};
	case decode_outcome::ok:
		break;
	}
	if (r->text->misplaced_count == most_misplaced)
		return {input_outcome::misplaced_list_full, 0, 0};
	return result;
}

// Decodes length bytes at text_at as UTF-8, passing over stray bytes, and notes the lines of the
// first of them, each line once. While the strays are few, they may still be UTF-8.
static void
check_kept(reading *r, size_t length, bool at_end)
{
	input_text *text = r->text;
	text_decoder *d = &r->decoder;
	uint32_t before = d->strays;
	decode_block(d, text_at, length, at_end, unit_block);
	for (uint32_t i = before; i < d->strays && i < most_noted_strays; i++) {
		stray_place place = {r->splitter->block_line +
					 count_line_ends(text_at, d->first_strays_at[i]),
				     d->first_strays[i]};
		if (text->stray_lines == 0 ||
		    text->strays[text->stray_lines - 1].line != place.line)
			text->strays[text->stray_lines++] = place;
	}
	text->stray_count = d->strays;
	text->check_utf8 = d->strays <= d->characters + stray_allowance;
}

// Splits length bytes at text_at as they are; while they may still be UTF-8, checks that they
// are.
static input_result
split_kept(reading *r, size_t length, bool at_end)
{
	input_text *text = r->text;
	const text_decoder *d = &r->decoder;
	if (text->check_utf8 && (d->pending_length > 0 || !all_ascii(text_at, length)))
		check_kept(r, length, at_end);
	if (at_end && text->check_utf8) {
		text->utf8 = d->strays == 0 && d->characters > 0;
		text->nearly_utf8 = d->strays > 0 && d->characters > d->strays;
	}
	return of_split(split_text_block(r, length, at_end));
}

// Takes the encoding of a text from its first block: the one its byte order mark names, or
// UTF-16 that its NULs show, while it is not known yet.
static void
choose_encoding(input_text *text, const unsigned char *block, size_t length, size_t *mark)
{
	text_encoding found = encoding_of_mark(block, length, mark);
	if (found == text_encoding::bytes && text->encoding == text_encoding::bytes) {
		found = encoding_of_nuls(block, length);
		text->unmarked_utf16 = found != text_encoding::bytes;
	}
	if (found != text_encoding::bytes) {
		text->encoding = found;
		text->check_utf8 = false;
	}
}

// The splitter for decoded text: it splits as the caller's would, but gives every entry its
// line and its pieces to store_entry and store_piece, which store it and hand it on.
static entry_splitter
splitter_for_decoded(const entry_splitter *caller, reading *r)
{
	r->handler = caller->handler;
	r->piece = caller->piece;
	r->context = caller->context;
	entry_splitter s = *caller;
	s.handler = store_entry;
	s.piece = store_piece;
	s.context = r;
	s.numbered_entries = true;
	return s;
}

// Splits the text from its first block, count bytes read into raw_block behind a mark of mark
// bytes, to its end or its first fault.
static input_result
split_blocks(int fd, reading *r, long count, size_t mark)
{
	bool kept = r->text->encoding == text_encoding::bytes;
	if (kept && count > 0)
		memcpy(text_at, raw_block, static_cast<size_t>(count));
	unsigned char *read_into = kept ? text_at : raw_block;
	uint64_t read = 0;
	for (;;) {
		if (count < 0)
			return {input_outcome::read_error, 0, 0};
		read += static_cast<uint64_t>(count);
		if (r->text->shown != nullptr)
			progress_at(r->text->shown, r->text->shown_done + read);
		size_t length = static_cast<size_t>(count) - mark;
		input_result result = kept ? split_kept(r, length, count == 0)
					   : split_decoded(r, raw_block + mark, length, count == 0);
		if (result.outcome != input_outcome::ok || count == 0)
			return result;
		mark = 0;
		count = file_read(fd, read_into, input_block_size);
	}
}

// The C runtime leaves a pattern that matches no file as it is.
void
fail_to_open(const char *name)
{
	if ((errno == ENOENT || errno == EINVAL) && strpbrk(name, "*?") != nullptr)
		fail_with_fault(name, "no file matches", 1);
	fail_with_error(name, 1);
}

input_result
split_text(int fd, entry_splitter *splitter, input_text *text)
{
	reading r = {};
	r.splitter = splitter;
	r.text = text;
	text->unmarked_utf16 = text->utf8 = text->nearly_utf8 = false;
	text->misplaced_count = 0;
	text->fit_count = 0;
	// The first block is read where the encoding can be looked for.
	long count = file_read(fd, raw_block, input_block_size);
	size_t mark = 0;
	if (count > 0 && !text->as_kept)
		choose_encoding(text, raw_block, static_cast<size_t>(count), &mark);
	bool kept = text->encoding == text_encoding::bytes;
	entry_splitter decoded_splitter;
	if (!kept) {
		decoded_splitter = splitter_for_decoded(splitter, &r);
		r.splitter = &decoded_splitter;
	}
	split_start(r.splitter);
	decode_start(&r.decoder, kept ? text_encoding::utf8 : text->encoding);
	r.decoder.passes_strays |= kept;
	if (text->encoding == text_encoding::utf8_and_ansi)
		r.decoder.stray_units = ansi_characters();
	input_result result = split_blocks(fd, &r, count, mark);
	if (!kept)
		split_free(&decoded_splitter);
	return result;
}

input_result
split_input(entry_splitter *splitter, const char *name, const char *path, input_text *text)
{
	int fd = file_open(path);
	if (fd < 0)
		fail_to_open(name);
	open_descriptor = &fd;
	input_result result = split_text(fd, splitter, text);
	if (result.outcome == input_outcome::read_error)
		fail_with_error(name, 1);
	open_descriptor = nullptr;
	file_close(fd);
	return result;
}

const char *
spool_input(int fd, const char *name)
{
	const char *prefix = spool_prefix();
	const char *path;
	FILE *spool = create_temporary(prefix, ".in", &path);
	free(const_cast<char *>(prefix));
	if (spool == nullptr)
		fail_with_error(path, 1);
	open_stream = spool;
	long count;
	while ((count = file_read(fd, raw_block, input_block_size)) > 0)
		if (fwrite(raw_block, 1, static_cast<size_t>(count), spool) !=
		    static_cast<size_t>(count))
			fail_with_error(path, 1);
	if (count < 0)
		fail_with_error(name, 1);
	open_stream = nullptr;
	if (fclose(spool) != 0)
		fail_with_error(path, 1);
	return path;
}
