#include "input_streams.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "error_report.h"
#include "input_file.h"
#include "output_file.h"
#include "system_calls.h"
#include "system_file.h"
#include "temporaries.h"

// The name of standard input, which tells it from a file named "stdin".
static const char stdin_name[] = "stdin";

// Allocates count zeroed items of size bytes, or ends the process.
static void *
zeroed(int count, size_t size)
{
	void *items = calloc(static_cast<size_t>(count), size);
	if (items == nullptr)
		fail_with_message("can't allocate more memory\n", 3);
	return items;
}

// Whether the input of identity, named name, is one of the first count kept. Standard input
// named twice is one even where it has no identity, as a pipe has none on Windows.
static bool
kept_before(const input_stream *inputs, const file_identity *identities, int count,
	    const char *name, const file_identity *identity)
{
	for (int i = 0; i < count; i++)
		if ((name == stdin_name && inputs[i].name == stdin_name) ||
		    same_identity(&identities[i], identity))
			return true;
	return false;
}

// Copies the input into a spool, from which both passes read it.
static void
spool(input_stream *in)
{
	int fd = in->name == stdin_name ? 0 : file_open(in->name);
	if (fd < 0)
		fail_to_open(in->name);
	if (is_console(fd))
		fprintf(stderr, "reading entries from the keyboard; end them with %s\n",
			keyboard_end_keys());
	in->path = spool_input(fd, in->name);
	if (fd != 0)
		file_close(fd);
}

input_stream *
open_inputs(char *const *names, int count, int *kept)
{
	int listed = count > 0 ? count : 1;
	input_stream *inputs = static_cast<input_stream *>(zeroed(listed, sizeof(input_stream)));
	file_identity *identities =
	    static_cast<file_identity *>(zeroed(listed, sizeof(file_identity)));
	*kept = 0;
	for (int i = 0; i < listed; i++) {
		const char *name = count > 0 ? names[i] : "-";
		bool from_stdin = strcmp(name, "-") == 0;
		file_identity identity =
		    from_stdin ? identity_of_stream(0) : identity_of_file(name);
		name = from_stdin ? stdin_name : name;
		output_refuse_input(&identity, name);
		if (kept_before(inputs, identities, *kept, name, &identity)) {
			fprintf(stderr, "%s: named twice; read once\n", name);
			continue;
		}
		bool direct = !from_stdin && identity.regular;
		inputs[*kept] = {name, direct ? name : nullptr};
		identities[(*kept)++] = identity;
	}
	free(identities);
	for (int i = 0; i < *kept; i++)
		if (inputs[i].path == nullptr)
			spool(&inputs[i]);
	return inputs;
}
