#include "first_pass.h"

#include <stdio.h>
#include <stdlib.h>

#include "code_page.h"
#include "error_report.h"
#include "indentation.h"
#include "input_file.h"
#include "room.h"

// Places named in warnings of each input; the rest are counted.
enum { most_named = 10 };

// Adds the input's counts by length, up to the longest that counted holds, to the pass's unless
// it is to be dropped, and clears them.
static void
move_lengths(first_pass *pass, const entry_counts *counted, bool dropped)
{
	uint64_t end = counted->longest < counted_lengths ? counted->longest + 1 : counted_lengths;
	for (uint64_t k = 0; k < end; k++) {
		if (!dropped)
			pass->lengths[k] += pass->input_lengths[k];
		pass->input_lengths[k] = 0;
	}
}

// Notes how a long entry is stored, for the second pass: not at all when blank, so stored null.
static void
note_long(text_input *in, const stored_entry *stored)
{
	size_t room = in->long_room * sizeof(long_entry);
	make_room(reinterpret_cast<char **>(&in->longs), &room,
		  (in->long_count + 1) * sizeof(long_entry));
	in->long_room = room / sizeof(long_entry);
	in->longs[in->long_count++] =
	    stored != nullptr ? long_entry{stored->skip, stored->length, stored->spaced, false}
			      : long_entry{0, 0, false, true};
}

static void
warn_of_blank(const text_input *in, const split_entry *entry)
{
	if (!in->quiet && !entry->silent)
		fprintf(stderr, "%s:%lu: blank entry dropped\n", in->name,
			static_cast<unsigned long>(entry->line));
}

// Warns of indentation that the code page cannot keep: the first places, then a count.
static void
warn_of_lead(text_input *in, const split_entry *entry, const stored_entry *stored)
{
	if (entry->lead.indent > 0 && !stored->spaced && in->unindented++ < most_named &&
	    !in->quiet)
		fprintf(stderr, "%s:%lu: indentation lost: code page %lu has no no-break space\n",
			in->name, static_cast<unsigned long>(entry->line), code_page_number());
}

static void
count_length(first_pass *pass, uint64_t length)
{
	count_entry(&pass->input->first, length);
	if (length < counted_lengths)
		pass->input_lengths[length]++;
}

// The handler of the first pass.
static void
count_one(void *context, const split_entry *entry)
{
	first_pass *pass = static_cast<first_pass *>(context);
	text_input *in = pass->input;
	if (entry->blank) {
		if (entry->length > most_gathered)
			note_long(in, nullptr);
		warn_of_blank(in, entry);
		return;
	}
	stored_entry stored = stored_form(entry);
	if (entry->length > most_gathered)
		note_long(in, &stored);
	warn_of_lead(in, entry, &stored);
	in->percent_lines += entry->only_percent;
	count_length(pass, stored.length);
}

// Ends the process with the message for a fault in the text of an input. A NUL in text read as
// it is most likely comes from UTF-16 whose NULs did not show it.
[[noreturn]] static void
fail_text(const text_input *in, const input_result *fault, const input_text *text)
{
	static const char *const problems[] = {"",
					       "entry holds a NUL byte",
					       "entry holds a 0x1A byte",
					       "invalid UTF-8 behind a UTF-8 byte order mark",
					       "invalid UTF-16: an odd number of bytes",
					       "invalid UTF-16: an unpaired surrogate"};
	fprintf(stderr, "%s:%lu: %s", in->name, static_cast<unsigned long>(fault->line),
		problems[static_cast<int>(fault->outcome)]);
	if (fault->outcome == input_outcome::unpaired_surrogate)
		fprintf(stderr, " U+%04X", fault->surrogate);
	if (fault->outcome == input_outcome::nul_byte && text->encoding == text_encoding::bytes)
		fputs("; UTF-16 without a byte order mark?", stderr);
	fputs("\n", stderr);
	exit(2);
}

// Writes the line of a character that the code page does not hold as itself.
static void
print_place(const text_input *in, const misplaced_place *place)
{
	fprintf(stderr, "%s:%lu: ", in->name, static_cast<unsigned long>(place->line));
	if (place->byte == separator_made)
		fputs("best fits make a line of only %", stderr);
	else
		fprintf(stderr, "U+%04lX ", static_cast<unsigned long>(place->code));
	if (place->byte == no_place)
		fputs("has no place", stderr);
	else if (place->byte == best_fit)
		fprintf(stderr, "replaced by U+%04lX", static_cast<unsigned long>(place->fit));
	else if (place->byte >= 0)
		fprintf(stderr, "becomes 0x%02X", place->byte);
	fprintf(stderr, " in code page %lu\n", code_page_number());
}

// Lists the characters that have no place in the code page, become bytes that the text may not
// hold, or lines of only "%".
static void
list_misplaced(const text_input *in, const input_text *text)
{
	for (size_t i = 0; i < text->misplaced_count; i++)
		print_place(in, &text->misplaced[i]);
}

// Reads one input for the first pass as text says; ends the process at a fault, after listing
// the misplaced characters. A count before is dropped.
static void
count_text(first_pass *pass, text_input *in, input_text *text)
{
	entry_splitter splitter = {};
	splitter.lines = pass->lines;
	splitter.handler = count_one;
	splitter.context = pass;
	move_lengths(pass, &in->first, true);
	in->first = {};
	in->unindented = in->percent_lines = in->long_count = 0;
	input_result result = split_input(&splitter, in->name, in->path, text);
	split_free(&splitter);
	if (text->unmarked_utf16)
		fprintf(stderr, "%s: no byte order mark; read as UTF-16 %s\n", in->name,
			text->encoding == text_encoding::utf16le ? "LE" : "BE");
	list_misplaced(in, text);
	for (uint64_t i = 0; i < text->fit_count && i < most_misplaced; i++)
		print_place(in, &text->fits[i]);
	if (text->fit_count > most_misplaced)
		fprintf(stderr, "%s: %lu more characters replaced\n", in->name,
			static_cast<unsigned long>(text->fit_count - most_misplaced));
	if (result.outcome != input_outcome::ok &&
	    result.outcome != input_outcome::misplaced_list_full)
		fail_text(in, &result, text);
	if (text->misplaced_count > 0)
		exit(2);
}

// Warns of what the first pass over an input found that mirl would not show as written.
static void
warn_of_input(const text_input *in, const input_text *text)
{
	if (in->encoding == text_encoding::utf8_and_ansi) {
		for (size_t i = 0; i < text->stray_lines; i++)
			fprintf(stderr, "%s:%lu: not UTF-8 (byte 0x%02X); read as code page %lu\n",
				in->name, static_cast<unsigned long>(text->strays[i].line),
				text->strays[i].byte, ansi_code_page());
		if (text->stray_count > most_noted_strays)
			fprintf(stderr, "%s: %lu more bytes not UTF-8\n", in->name,
				static_cast<unsigned long>(text->stray_count - most_noted_strays));
	}
	if (in->unindented > most_named)
		fprintf(stderr, "%s: %lu more entries lose their indentation\n", in->name,
			static_cast<unsigned long>(in->unindented - most_named));
	if (in->percent_lines > 0)
		fprintf(stderr, "%s: %lu %s only %%; without -l %s entries\n", in->name,
			static_cast<unsigned long>(in->percent_lines),
			in->percent_lines == 1 ? "line holds" : "lines hold",
			in->percent_lines == 1 ? "it separates" : "they separate");
}

// Text without a byte order mark is kept as it is, unless it is UTF-8 and not all ASCII: then it
// is counted again, decoded, as it will be stored, each stray byte among its UTF-8 as the ANSI
// code page's character, as the user meant it. In a UTF-8 code page, such text is stored as it
// is, and stray bytes stay what they were.
void
count_input(first_pass *pass, text_input *in)
{
	pass->input = in;
	input_text text = {};
	text.encoding = text_encoding::bytes;
	text.as_kept = pass->as_kept;
	text.check_utf8 = !code_page_is_utf8() && !pass->as_kept;
	text.shown = pass->shown;
	text.shown_done = pass->shown_done;
	count_text(pass, in, &text);
	if (text.utf8 || text.nearly_utf8) {
		in->quiet = true;
		text.encoding = text.utf8 ? text_encoding::utf8 : text_encoding::utf8_and_ansi;
		count_text(pass, in, &text);
	}
	in->encoding = text.encoding;
	move_lengths(pass, &in->first, false);
	add_counts(&pass->all, &in->first);
	pass->shown_done += in->size;
	warn_of_input(in, &text);
}
