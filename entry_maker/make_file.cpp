#include "make_file.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "entry_counts.h"
#include "error_report.h"
#include "input_file.h"
#include "layout.h"
#include "output_file.h"
#include "system_calls.h"
#include "temporaries.h"

// An input as both passes read it.
struct text_input {
	const char *name; // in messages
	const char *path; // where it is read: the spool for standard input
	entry_counts first;
	entry_counts second;
};

// What the second pass needs besides the input it reads.
struct writing {
	text_input *input;
	uint64_t longest;
	bool weighted;
};

// Lists the inputs, standard input when there are none; that one has no path yet.
static text_input *
list_inputs(const make_options *options, int count)
{
	text_input *inputs =
	    static_cast<text_input *>(calloc(static_cast<size_t>(count), sizeof(text_input)));
	if (inputs == nullptr)
		fail_with_message("can't allocate more memory\n", 3);
	for (int i = 0; i < count; i++) {
		const char *name = options->input_count > 0 ? options->inputs[i] : "-";
		bool from_stdin = strcmp(name, "-") == 0;
		inputs[i].name = from_stdin ? "stdin" : name;
		inputs[i].path = from_stdin ? nullptr : name;
	}
	return inputs;
}

// Copies standard input, when it is read, into a spool beside the output (or in the current
// directory), from which both passes read it.
static void
spool_where_needed(text_input *inputs, int count, const char *output)
{
	const char *spool = nullptr;
	for (int i = 0; i < count; i++) {
		if (inputs[i].path != nullptr)
			continue;
		if (spool == nullptr) {
			spool = temporary_path(output != nullptr ? output : "mirlmake", ".in");
			spool_standard_input(spool);
		}
		inputs[i].path = spool;
	}
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

// The first pass's handler: warns of a blank entry, counts any other.
static void
count_one(void *context, const split_entry *entry)
{
	text_input *in = static_cast<text_input *>(context);
	if (entry->blank)
		fprintf(stderr, "%s:%lu: blank entry dropped\n", in->name,
			static_cast<unsigned long>(entry->line));
	else
		count_entry(&in->first, entry->length);
}

// The first pass over one input; ends the process at a refused byte.
static void
count_input(text_input *in, bool lines)
{
	entry_splitter splitter = splitter_for(lines, count_one, in, nullptr, 0);
	split_result result = split_input(&splitter, in->name, in->path);
	if (result.outcome == split_outcome::ok)
		return;
	fprintf(stderr, "%s:%lu: entry holds a %s byte\n", in->name,
		static_cast<unsigned long>(result.line),
		result.outcome == split_outcome::nul_byte ? "NUL" : "0x1A");
	exit(2);
}

// The second pass met other entries than the first counted: the layout no longer fits them.
[[noreturn]] static void
fail_changed(const text_input *in)
{
	fprintf(stderr, "%s: changed while being read\n", in->name);
	exit(1);
}

// The second pass's handler: writes an entry, padded in front unless weighted, and its NUL.
static void
write_one(void *context, const split_entry *entry)
{
	writing *w = static_cast<writing *>(context);
	if (entry->blank)
		return;
	count_entry(&w->input->second, entry->length);
	if (entry->bytes == nullptr || !agrees_so_far(&w->input->first, &w->input->second))
		fail_changed(w->input);
	output_entry(w->weighted ? 0 : w->longest - entry->length, entry->bytes,
		     static_cast<size_t>(entry->length));
}

// The second pass over one input: the entries the first pass counted, or the end.
static void
write_input(text_input *in, writing *w, char *kept, size_t kept_room, bool lines)
{
	entry_splitter splitter = splitter_for(lines, write_one, w, kept, kept_room);
	w->input = in;
	split_result result = split_input(&splitter, in->name, in->path);
	if (result.outcome != split_outcome::ok || !agrees_in_full(&in->first, &in->second))
		fail_changed(in);
}

// Where the file goes: a temporary beside the output, or standard output.
static const char *
start_output(const char *output)
{
	if (output == nullptr) {
		output_start(stdout, "stdout");
		return nullptr;
	}
	const char *temporary = temporary_path(output, ".tmp");
	FILE *stream = fopen(temporary, "wb");
	if (stream == nullptr)
		fail_with_error(temporary, 1);
	open_stream = stream;
	output_start(stream, temporary);
	return temporary;
}

// Writes the header and, in the default layout, the filler that leads to the first entry.
static void
write_header(const entry_counts *all, bool weighted)
{
	char header[header_room];
	output_bytes(header, header_text(header, all->entries, weighted));
	if (!weighted)
		output_entry(all->longest, "", 0);
}

void
make_entry_file(const make_options *options)
{
	int count = options->input_count > 0 ? options->input_count : 1;
	text_input *inputs = list_inputs(options, count);
	spool_where_needed(inputs, count, options->output);
	entry_counts all = {};
	for (int i = 0; i < count; i++) {
		count_input(&inputs[i], options->lines);
		add_counts(&all, &inputs[i].first);
	}
	if (all.entries == 0)
		fail_with_message("no entries in the input\n", 2);
	if (output_size(&all, options->weighted) >= entry_file_limit)
		fail_with_message("the entry file would be 2 GiB or more\n", 2);

	// Room for the longest entry and the line end after it.
	size_t kept_room = static_cast<size_t>(all.longest) + 2;
	char *kept = static_cast<char *>(malloc(kept_room));
	if (kept == nullptr)
		fail_with_message("can't allocate more memory\n", 3);
	const char *temporary = start_output(options->output);
	write_header(&all, options->weighted);
	writing w = {nullptr, all.longest, options->weighted};
	for (int i = 0; i < count; i++)
		write_input(&inputs[i], &w, kept, kept_room, options->lines);
	if (!options->weighted)
		output_blanks(tail_length(all.entries, all.longest));
	output_finish();
	if (temporary != nullptr && !replace_file(temporary, options->output)) {
		// The old file may be gone already (Windows removes it first): the new one stays,
		// and the message names it.
		keep_temporary(temporary);
		fail_with_error(temporary, 1);
	}
	// The output's temporary is gone by its new name; the spool is no longer needed.
	remove_temporaries();
	free(kept);
	free(inputs);
}
