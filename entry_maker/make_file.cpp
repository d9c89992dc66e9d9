#include "make_file.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "code_page.h"
#include "entry_counts.h"
#include "error_report.h"
#include "indentation.h"
#include "input_file.h"
#include "input_streams.h"
#include "layout.h"
#include "output_file.h"
#include "system_calls.h"
#include "temporaries.h"

// An input as both passes read it.
struct text_input {
	const char *name;       // in messages
	const char *path;       // where it is read: the file named, or its spool
	text_encoding encoding; // what the first pass read it as
	entry_counts first;
	entry_counts second;
	bool quiet;             // read again decoded: its warnings were given
	uint64_t unindented;    // indented entries that the code page cannot keep so
	uint64_t percent_lines; // with -l: lines that hold only "%"
};

// What the second pass needs besides the input it reads.
struct writing {
	text_input *input;
	const layout *plan;
};

// How many entries of each length the input being counted has, and all inputs counted so far:
// the layout is chosen by them.
static uint32_t input_lengths[counted_lengths];
static uint32_t all_lengths[counted_lengths];
// The longest entry as read, which the second pass gathers: blank lines in front and all.
static uint64_t longest_read;

// Indented entries named in warnings of each input; the rest are counted.
enum { most_named = 10 };

// Adds the input's counts by length, up to the longest that counted holds, to `to` unless it is
// null, and clears them.
static void
move_lengths(const entry_counts *counted, uint32_t *to)
{
	uint64_t end = counted->longest < counted_lengths ? counted->longest + 1 : counted_lengths;
	for (uint64_t k = 0; k < end; k++) {
		if (to != nullptr)
			to[k] += input_lengths[k];
		input_lengths[k] = 0;
	}
}

// The inputs as both passes read them.
static text_input *
list_inputs(const input_stream *streams, int count)
{
	text_input *inputs =
	    static_cast<text_input *>(calloc(static_cast<size_t>(count), sizeof(text_input)));
	if (inputs == nullptr)
		fail_with_message("can't allocate more memory\n", 3);
	for (int i = 0; i < count; i++) {
		inputs[i].name = streams[i].name;
		inputs[i].path = streams[i].path;
	}
	return inputs;
}

// Refuses, before anything is read, an input that is a folder.
static void
check_inputs(const make_options *options)
{
	for (int i = 0; i < options->input_count; i++)
		if (is_folder(options->inputs[i]))
			fail_with_fault(options->inputs[i], "is a folder", 1);
}

// A splitter that hands entries to handler, gathering them in kept_room bytes at kept.
static entry_splitter
splitter_for(bool lines, entry_handler *handler, void *context, char *kept, size_t kept_room)
{
	entry_splitter splitter = {};
	splitter.lines = lines;
	splitter.handler = handler;
	splitter.context = context;
	splitter.kept = kept;
	splitter.kept_room = kept_room;
	return splitter;
}

// The first pass's handler: warns of a blank entry, counts any other as it is stored, and
// warns of indentation that the code page cannot keep.
static void
count_one(void *context, const split_entry *entry)
{
	text_input *in = static_cast<text_input *>(context);
	if (entry->blank) {
		if (!in->quiet)
			fprintf(stderr, "%s:%lu: blank entry dropped\n", in->name,
				static_cast<unsigned long>(entry->line));
		return;
	}
	stored_entry stored = stored_form(entry);
	if (entry->lead.indent > 0 && !stored.spaced && in->unindented++ < most_named && !in->quiet)
		fprintf(stderr, "%s:%lu: indentation lost: code page %lu has no no-break space\n",
			in->name, static_cast<unsigned long>(entry->line), code_page_number());
	if (entry->only_percent)
		in->percent_lines++;
	if (entry->length > longest_read)
		longest_read = entry->length;
	count_entry(&in->first, stored.length);
	if (stored.length < counted_lengths)
		input_lengths[stored.length]++;
}

// Ends the process with the message for a fault in the text of an input.
[[noreturn]] static void
fail_text(const text_input *in, const input_result *fault)
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
	fputs("\n", stderr);
	exit(2);
}

// Lists the characters that have no place in the code page, or become bytes that the text may
// not hold.
static void
list_misplaced(const text_input *in, const input_text *text)
{
	for (size_t i = 0; i < text->misplaced_count; i++) {
		const misplaced_place *place = &text->misplaced[i];
		fprintf(stderr, "%s:%lu: U+%04lX ", in->name,
			static_cast<unsigned long>(place->line),
			static_cast<unsigned long>(place->code));
		if (place->byte == no_place)
			fputs("has no place", stderr);
		else
			fprintf(stderr, "becomes 0x%02X", place->byte);
		fprintf(stderr, " in code page %lu\n", code_page_number());
	}
}

// Reads one input for the first pass as text says; ends the process at a fault, after listing
// the misplaced characters. With lines, every line is gathered, to see whether it holds only
// "%".
static void
count_text(text_input *in, bool lines, input_text *text)
{
	entry_splitter splitter = splitter_for(lines, count_one, in, nullptr, 0);
	splitter.growing = lines;
	move_lengths(&in->first, nullptr);
	in->first = {};
	in->unindented = in->percent_lines = 0;
	input_result result = split_input(&splitter, in->name, in->path, text);
	free(splitter.kept);
	if (text->unmarked_utf16)
		fprintf(stderr, "%s: no byte order mark; read as UTF-16 %s\n", in->name,
			text->encoding == text_encoding::utf16le ? "LE" : "BE");
	list_misplaced(in, text);
	if (result.outcome != input_outcome::ok &&
	    result.outcome != input_outcome::misplaced_list_full)
		fail_text(in, &result);
	if (text->misplaced_count > 0)
		exit(2);
}

// Warns of what the first pass over an input found that mirl would not show as written.
static void
warn_of_input(const text_input *in, const input_text *text)
{
	if (text->nearly_utf8)
		fprintf(stderr, "%s:%lu: not UTF-8 (byte 0x%02X); read as code page %lu\n",
			in->name, static_cast<unsigned long>(text->stray_line), text->first_stray,
			code_page_number());
	if (in->unindented > most_named)
		fprintf(stderr, "%s: %lu more entries lose their indentation\n", in->name,
			static_cast<unsigned long>(in->unindented - most_named));
	if (in->percent_lines > 0)
		fprintf(stderr, "%s: %lu %s only %%; without -l %s entries\n", in->name,
			static_cast<unsigned long>(in->percent_lines),
			in->percent_lines == 1 ? "line holds" : "lines hold",
			in->percent_lines == 1 ? "it separates" : "they separate");
}

// The first pass over one input. Text without a byte order mark is kept as it is, unless it is
// UTF-8 throughout and not all ASCII: then it is counted again, decoded, as it will be stored.
// In a UTF-8 code page, such text is stored as it is, and stray bytes stay what they were.
static void
count_input(text_input *in, bool lines)
{
	input_text text = {};
	text.encoding = text_encoding::bytes;
	text.check_utf8 = !code_page_is_utf8();
	count_text(in, lines, &text);
	if (text.utf8) {
		in->quiet = true;
		text.encoding = text_encoding::utf8;
		count_text(in, lines, &text);
	}
	in->encoding = text.encoding;
	move_lengths(&in->first, all_lengths);
	warn_of_input(in, &text);
}

// The second pass met other entries than the first counted: the layout no longer fits them.
[[noreturn]] static void
fail_changed(const text_input *in)
{
	fail_with_fault(in->name, "changed while being read", 1);
}

// Writes the filler's or a marker's blanks and NUL.
static void
write_lead(const layout *plan)
{
	output_entry(plan->lead, "", 0);
}

// Writes an entry behind padding blanks and a no-break space, and its NUL.
static void
output_spaced(uint64_t padding, const char *bytes, size_t length)
{
	size_t space_length;
	const char *space = no_break_space(&space_length);
	output_blanks(padding);
	output_bytes(space, space_length);
	output_bytes(bytes, length);
	output_bytes("", 1);
}

// The second pass's handler: writes an entry as it is stored, with what the layout puts before
// and after it.
static void
write_one(void *context, const split_entry *entry)
{
	writing *w = static_cast<writing *>(context);
	if (entry->blank)
		return;
	stored_entry stored = stored_form(entry);
	count_entry(&w->input->second, stored.length);
	if (entry->bytes == nullptr || !agrees_so_far(&w->input->first, &w->input->second))
		fail_changed(w->input);
	entry_pieces pieces = pieces_of(w->plan, stored.length);
	const char *bytes = entry->bytes + stored.skip;
	size_t length = static_cast<size_t>(entry->length - stored.skip);
	if (stored.spaced)
		output_spaced(pieces.padding, bytes, length);
	else
		output_entry(pieces.padding, bytes, length);
	if (pieces.marker) {
		output_bytes(&marker_start, 1);
		write_lead(w->plan);
	}
}

// The second pass over one input: the entries the first pass counted, or the end.
static void
write_input(text_input *in, writing *w, char *kept, size_t kept_room, bool lines)
{
	entry_splitter splitter = splitter_for(lines, write_one, w, kept, kept_room);
	// A fault here is a change since the first pass, which has no line.
	splitter.unnumbered = true;
	w->input = in;
	input_text text = {};
	text.encoding = in->encoding;
	input_result result = split_input(&splitter, in->name, in->path, &text);
	if (result.outcome != input_outcome::ok || text.misplaced_count > 0 ||
	    !agrees_in_full(&in->first, &in->second))
		fail_changed(in);
}

// Refuses a file of 2 GiB or more, which mirl cannot read; says which other layout would make
// one that fits.
static void
check_size(const layout *plan, const entry_counts *all)
{
	if (plan->size < entry_file_limit)
		return;
	uint64_t equal = plan_layout(layout_kind::equal, all, all_lengths).size;
	uint64_t compact = plan_layout(layout_kind::weighted, all, all_lengths).size;
	fputs("the entry file would be 2 GiB or more", stderr);
	if (plan->kind == layout_kind::padded && equal < entry_file_limit)
		fprintf(stderr, "; without -p it takes %lu bytes",
			static_cast<unsigned long>(equal));
	else if (plan->kind != layout_kind::weighted && compact < entry_file_limit)
		fprintf(stderr, "; -w makes a compact file of %lu bytes",
			static_cast<unsigned long>(compact));
	fail_with_message("\n", 2);
}

// Writes the header and the filler that leads to the first entry, where there is one.
static void
write_header(const layout *plan)
{
	char header[header_room];
	output_bytes(header, header_text(header, plan));
	if (plan->filler)
		write_lead(plan);
}

void
make_entry_file(const make_options *options)
{
	check_inputs(options);
	output_choose(options->output, output_form::entry_file);
	int count;
	input_stream *streams = open_inputs(options->inputs, options->input_count, &count);
	text_input *inputs = list_inputs(streams, count);
	entry_counts all = {};
	memset(all_lengths, 0, sizeof all_lengths);
	longest_read = 0;
	for (int i = 0; i < count; i++) {
		count_input(&inputs[i], options->lines);
		add_counts(&all, &inputs[i].first);
	}
	if (all.entries == 0)
		fail_with_message("no entries in the input\n", 2);
	layout plan = plan_layout(options->layout, &all, all_lengths);
	check_size(&plan, &all);

	// Room for the longest entry and the line end after it.
	size_t kept_room = static_cast<size_t>(longest_read) + 2;
	char *kept = static_cast<char *>(malloc(kept_room));
	if (kept == nullptr)
		fail_with_message("can't allocate more memory\n", 3);
	output_open();
	write_header(&plan);
	writing w = {nullptr, &plan};
	for (int i = 0; i < count; i++)
		write_input(&inputs[i], &w, kept, kept_room, options->lines);
	output_blanks(plan.tail);
	output_close();
	// The output's temporary is gone by its new name; the spool is no longer needed.
	remove_temporaries();
	free(kept);
	free(inputs);
	free(streams);
}
