#include "input_file.h"

#include <stdio.h>
#include <string.h>

#include "byte_search.h"
#include "code_page.h"
#include "error_report.h"
#include "system_calls.h"
#include "system_file.h"
#include "temporaries.h"

enum { input_block_size = 65536 };

// The text handed to the splitter: a block as it was read, or what a block decodes into, behind
// a 0x1A held back from the block before, which may yet turn out to end the text.
static unsigned char text_block[1 + most_bytes_per_unit * most_units(input_block_size)];
static unsigned char *const text_at = text_block + 1;
// A block read, to be decoded, and what it decodes into.
static unsigned char raw_block[input_block_size];
static uint16_t unit_block[most_units(input_block_size)];

// One input being read.
struct reading {
	entry_splitter *splitter;
	input_text *text;
	text_decoder decoder; // decodes the text, or checks that bytes kept would decode
	bool held_1a;         // text_block[0] holds a 0x1A in front of text_at
	uint64_t unit_line;   // the line of unit_block[0]
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

// Splits the length bytes at text_at; a 0x1A at their end waits to see whether more follow.
static split_result
split_text_block(reading *r, size_t length, bool at_end)
{
	unsigned char *block = text_at - (r->held_1a ? 1 : 0);
	length += r->held_1a ? 1 : 0;
	r->held_1a = length > 0 && block[length - 1] == 0x1A;
	if (r->held_1a)
		length--;
	split_result result = split_block(r->splitter, block, length, at_end);
	if (r->held_1a)
		text_block[0] = 0x1A;
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

// Lists a character that has no place in the code page.
static void
list_unmapped(void *context, size_t unit, uint32_t code)
{
	reading *r = static_cast<reading *>(context);
	input_text *text = r->text;
	if (text->unmapped_count == most_unmapped)
		return;
	uint64_t line = r->unit_line + count_unit_line_ends(unit_block, unit);
	text->unmapped[text->unmapped_count++] = {line, code};
}

// Decodes length bytes, stores them in the code page and splits them.
static input_result
split_decoded(reading *r, const unsigned char *bytes, size_t length, bool at_end)
{
	decode_result decoded = decode_block(&r->decoder, bytes, length, at_end, unit_block);
	size_t units = decoded.units;
	size_t stored = encode_units(unit_block, units, text_at, list_unmapped, r);
	bool fault = decoded.outcome != decode_outcome::ok;
	input_result result = of_split(split_text_block(r, stored, at_end && !fault));
	if (result.outcome != input_outcome::ok)
		return result;
	r->unit_line += count_unit_line_ends(unit_block, units);
	switch (decoded.outcome) {
	case decode_outcome::invalid_utf8:
		return {input_outcome::invalid_utf8, r->unit_line, 0};
	case decode_outcome::odd_length:
		return {input_outcome::odd_length, r->unit_line, 0};
	case decode_outcome::unpaired_surrogate:
		return {input_outcome::unpaired_surrogate, r->unit_line, decoded.surrogate};
	case decode_outcome::ok:
		break;
	}
	if (r->text->unmapped_count == most_unmapped)
		return {input_outcome::unmapped_list_full, 0, 0};
	return result;
}

// Splits length bytes at text_at as they are; while they may still be UTF-8, checks that they
// are.
static input_result
split_kept(reading *r, size_t length, bool at_end)
{
	input_text *text = r->text;
	if (text->check_utf8 && (r->decoder.pending_length > 0 || !all_ascii(text_at, length))) {
		decode_result decoded =
		    decode_block(&r->decoder, text_at, length, at_end, unit_block);
		text->check_utf8 = decoded.outcome == decode_outcome::ok;
	}
	if (at_end)
		text->utf8 = text->check_utf8 && r->decoder.above_ascii;
	return of_split(split_text_block(r, length, at_end));
}

input_result
split_text(int fd, entry_splitter *splitter, input_text *text)
{
	reading r = {splitter, text, {}, false, 1};
	split_start(splitter);
	text->utf8 = false;
	text->unmapped_count = 0;
	// The first block is read where the byte order mark can be looked for.
	long count = file_read(fd, raw_block, input_block_size);
	size_t mark = 0;
	if (count > 0) {
		text_encoding marked =
		    encoding_of_mark(raw_block, static_cast<size_t>(count), &mark);
		if (marked != text_encoding::bytes) {
			text->encoding = marked;
			text->check_utf8 = false;
		}
	}
	bool kept = text->encoding == text_encoding::bytes;
	decode_start(&r.decoder, kept ? text_encoding::utf8 : text->encoding);
	if (kept && count > 0)
		memcpy(text_at, raw_block, static_cast<size_t>(count));
	unsigned char *read_into = kept ? text_at : raw_block;
	for (;;) {
		if (count < 0)
			return {input_outcome::read_error, 0, 0};
		size_t length = static_cast<size_t>(count) - mark;
		input_result result = kept
					  ? split_kept(&r, length, count == 0)
					  : split_decoded(&r, raw_block + mark, length, count == 0);
		if (result.outcome != input_outcome::ok || count == 0)
			return result;
		mark = 0;
		count = file_read(fd, read_into, input_block_size);
	}
}

input_result
split_input(entry_splitter *splitter, const char *name, const char *path, input_text *text)
{
	int fd = file_open(path);
	if (fd < 0)
		fail_with_error(name, 1);
	open_descriptor = fd;
	input_result result = split_text(fd, splitter, text);
	if (result.outcome == input_outcome::read_error)
		fail_with_error(name, 1);
	open_descriptor = -1;
	file_close(fd);
	return result;
}

void
spool_input(int fd, const char *name, const char *path)
{
	FILE *spool = fopen(path, new_file_mode());
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
}
