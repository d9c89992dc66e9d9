#include "make_file.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "code_page.h"
#include "error_report.h"
#include "first_pass.h"
#include "indentation.h"
#include "input_file.h"
#include "input_streams.h"
#include "layout.h"
#include "output_file.h"
#include "system_calls.h"
#include "system_file.h"
#include "temporaries.h"

// The second pass: the input being written, and the entry in progress. An entry whose pieces
// come is gathered while it may be short; a longer one is written as it comes, the first pass
// having found how it is stored.
struct writing {
	text_input *input;
	const layout *plan;
	char *gathered; // most_gathered bytes
	size_t gathered_length;
	const long_entry *streamed; // the long entry being written, or null
	uint64_t to_skip;           // its bytes yet to be left out
	progress *shown;            // where reading shows how far making is, or null
	uint64_t shown_done;        // the bytes read before this input, in both passes
};

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
		int fd = file_open(inputs[i].path);
		if (fd < 0)
			fail_to_open(inputs[i].name);
		inputs[i].size = static_cast<uint64_t>(file_seek_end(fd));
		file_close(fd);
	}
	return inputs;
}

// Inputs of more than this take seconds to make: reading them twice, their progress is shown.
const uint64_t shown_beyond = UINT64_C(100000000);

// The work of both passes, shown when it is long: null otherwise.
static progress *
start_progress(progress *shown, const text_input *inputs, int count)
{
	uint64_t total = 0;
	for (int i = 0; i < count; i++)
		total += inputs[i].size;
	progress_start(shown, 2 * total);
	return total > shown_beyond ? shown : nullptr;
}

// Refuses, before anything is read, an input that is a folder.
static void
check_inputs(const make_options *options)
{
	for (int i = 0; i < options->input_count; i++)
		if (is_folder(options->inputs[i]))
			fail_with_fault(options->inputs[i], "is a folder", 1);
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

// Writes what goes in front of an entry of the stored length: padding, and a no-break space
// when spaced.
static void
write_front(const layout *plan, uint64_t length, bool spaced)
{
	output_blanks(pieces_of(plan, length).padding);
	size_t space_length;
	const char *space = no_break_space(&space_length);
	if (spaced)
		output_bytes(space, space_length);
}

// Writes what goes behind an entry of the stored length: its NUL, and a marker when it is long.
static void
write_back(const layout *plan, uint64_t length)
{
	output_bytes("", 1);
	if (pieces_of(plan, length).marker) {
		output_bytes(&marker_start, 1);
		write_lead(plan);
	}
}

// Counts an entry the second pass writes, which the first must have counted.
static void
count_written(text_input *in, uint64_t length)
{
	count_entry(&in->second, length);
	if (!agrees_so_far(&in->first, &in->second))
		fail_changed(in);
}

// The first pass's finding for the long entry that is next.
static const long_entry *
next_long(text_input *in)
{
	if (in->longs_written == in->long_count)
		fail_changed(in);
	return &in->longs[in->longs_written++];
}

// Whether the entry is stored as the first pass found.
static bool
stored_as_found(const split_entry *entry, const long_entry *found)
{
	if (entry->blank || found->blank)
		return entry->blank == found->blank;
	stored_entry stored = stored_form(entry);
	return stored.skip == found->skip && stored.length == found->length &&
	       stored.spaced == found->spaced;
}

// Writes bytes of the long entry being written, but for those that are left out.
static void
stream_bytes(writing *w, const char *bytes, size_t length)
{
	if (w->streamed->blank)
		return;
	size_t skipped = w->to_skip < length ? static_cast<size_t>(w->to_skip) : length;
	w->to_skip -= skipped;
	output_bytes(bytes + skipped, length - skipped);
}

// The second pass's handler of the pieces of an entry.
static void
write_piece(void *context, const char *bytes, size_t length)
{
	writing *w = static_cast<writing *>(context);
	if (w->streamed == nullptr && length <= most_gathered - w->gathered_length) {
		memcpy(w->gathered + w->gathered_length, bytes, length);
		w->gathered_length += length;
		return;
	}
	if (w->streamed == nullptr) {
		w->streamed = next_long(w->input);
		w->to_skip = w->streamed->skip;
		if (!w->streamed->blank)
			write_front(w->plan, w->streamed->length, w->streamed->spaced);
		stream_bytes(w, w->gathered, w->gathered_length);
		w->gathered_length = 0;
	}
	stream_bytes(w, bytes, length);
}

// Ends the long entry being written.
static void
end_streamed(writing *w, const split_entry *entry)
{
	const long_entry *found = w->streamed;
	w->streamed = nullptr;
	if (!stored_as_found(entry, found))
		fail_changed(w->input);
	if (found->blank)
		return;
	count_written(w->input, found->length);
	write_back(w->plan, found->length);
}

// The second pass's handler: writes an entry as it is stored, with what the layout puts before
// and after it.
static void
write_one(void *context, const split_entry *entry)
{
	writing *w = static_cast<writing *>(context);
	if (w->streamed != nullptr) {
		end_streamed(w, entry);
		return;
	}
	const char *bytes = entry->bytes != nullptr ? entry->bytes : w->gathered;
	w->gathered_length = 0;
	// A long entry that lies in one block comes whole.
	if (entry->length > most_gathered && !stored_as_found(entry, next_long(w->input)))
		fail_changed(w->input);
	if (entry->blank)
		return;
	stored_entry stored = stored_form(entry);
	count_written(w->input, stored.length);
	entry_pieces pieces = pieces_of(w->plan, stored.length);
	const char *text = bytes + stored.skip;
	size_t length = static_cast<size_t>(entry->length - stored.skip);
	if (stored.spaced) {
		write_front(w->plan, stored.length, true);
		output_bytes(text, length);
		output_bytes("", 1);
	} else {
		output_entry(pieces.padding, text, length);
	}
	if (pieces.marker) {
		output_bytes(&marker_start, 1);
		write_lead(w->plan);
	}
}

// The second pass over one input: the entries the first pass counted, or the end.
static void
write_input(text_input *in, writing *w, const make_options *options)
{
	entry_splitter splitter = {};
	splitter.lines = options->lines;
	splitter.handler = write_one;
	splitter.piece = write_piece;
	splitter.context = w;
	// A fault here is a change since the first pass, which has no line.
	splitter.unnumbered = true;
	w->input = in;
	input_text text = {};
	text.encoding = in->encoding;
	text.as_kept = options->as_kept;
	text.shown = w->shown;
	text.shown_done = w->shown_done;
	input_result result = split_input(&splitter, in->name, in->path, &text);
	split_free(&splitter);
	w->shown_done += in->size;
	if (result.outcome != input_outcome::ok || text.misplaced_count > 0 ||
	    !agrees_in_full(&in->first, &in->second) || in->longs_written != in->long_count)
		fail_changed(in);
}

// Refuses a file of 2 GiB or more, which mirl cannot read; says which other layout would make
// one that fits.
static void
check_size(const layout *plan, const first_pass *pass)
{
	if (plan->size < entry_file_limit)
		return;
	uint64_t equal = plan_layout(layout_kind::equal, &pass->all, pass->lengths).size;
	uint64_t compact = plan_layout(layout_kind::weighted, &pass->all, pass->lengths).size;
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
	first_pass *pass = static_cast<first_pass *>(calloc(1, sizeof(first_pass)));
	writing w = {nullptr, nullptr, static_cast<char *>(malloc(most_gathered)), 0, nullptr, 0,
		     nullptr, 0};
	if (pass == nullptr || w.gathered == nullptr)
		fail_with_message("can't allocate more memory\n", 3);
	pass->lines = options->lines;
	pass->as_kept = options->as_kept;
	progress shown;
	pass->shown = w.shown = start_progress(&shown, inputs, count);
	for (int i = 0; i < count; i++)
		count_input(pass, &inputs[i]);
	w.shown_done = pass->shown_done;
	if (pass->all.entries == 0)
		fail_with_message("no entries in the input\n", 2);
	layout plan = plan_layout(options->layout, &pass->all, pass->lengths);
	check_size(&plan, pass);

	output_open();
	write_header(&plan);
	w.plan = &plan;
	for (int i = 0; i < count; i++)
		write_input(&inputs[i], &w, options);
	output_blanks(plan.tail);
	progress_end(&shown);
	output_close();
	// The output's temporary is gone by its new name; the spool is no longer needed.
	remove_temporaries();
	for (int i = 0; i < count; i++)
		free(inputs[i].longs);
	free(w.gathered);
	free(pass);
	free(inputs);
	free(streams);
}
