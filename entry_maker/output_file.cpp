#include "output_file.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "error_report.h"
#include "temporaries.h"

enum { output_block_size = 1 << 17 };

// The output as chosen, and once open, where it is written. A regular file is written to its
// temporary, then renamed over file: the one its name names through any symbolic link.
static const char *chosen;
static const char *shown;
static output_form chosen_form;
static file_identity chosen_identity;
static FILE *output_stream;
static const char *file;
static const char *temporary;
// The block lives as long as the run. It is static, not on the stack: Windows commits a stack
// a page at a time, so a frame this large would have every page probed at each call.
static size_t output_used;
static char output_block[output_block_size];

void
output_choose(const char *name, output_form form)
{
	chosen = name;
	chosen_form = form;
	shown = name != nullptr ? name : "stdout";
	if (name != nullptr && name[0] == '\0') {
		// An empty name is named so, or the message would name nothing.
		errno = ENOENT;
		fail_with_error("\"\"", 1);
	}
	if (name != nullptr && is_folder(name))
		fail_with_fault(name, "is a folder", 1);
	bool console = name != nullptr ? names_console(name) : is_console(1);
	if (form == output_form::entry_file && console)
		fail_with_message(
		    "the entry file is binary: name it with -o, or redirect the output\n", 2);
	chosen_identity = name != nullptr ? identity_of_file(name) : identity_of_stream(1);
}

// Writing to a pipe, a socket or a device does not change what is read from it, and standard
// input and output are often one socket: only a file on disk is refused as both.
void
output_refuse_input(const file_identity *input, const char *name)
{
	if (!input->regular || !same_identity(input, &chosen_identity))
		return;
	fail_with_fault(chosen != nullptr ? chosen : name, "is both an input and the output", 2);
}

const char *
output_name()
{
	return shown;
}

// Creates the temporary that takes the place of the regular file at chosen, with that file's
// permissions.
static FILE *
create_beside()
{
	file = file_behind(chosen);
	if (file == nullptr)
		fail_with_error(chosen, 1);
	FILE *stream = create_temporary(file, ".tmp", &temporary);
	if (stream == nullptr)
		fail_with_error(chosen, 1);
	keep_permissions(stream, file);
	return stream;
}

void
output_open()
{
	FILE *stream = stdout;
	temporary = nullptr;
	if (chosen != nullptr && !open_in_place(chosen, &stream))
		stream = create_beside();
	else if (stream == nullptr)
		fail_with_error(chosen, 1);
	if (stream != stdout)
		open_stream = stream;
	// The block is the buffer: the stream's own would only split each write in two.
	setvbuf(stream, nullptr, _IONBF, 0);
	output_stream = stream;
	output_used = 0;
}

// Writes length bytes; a short write is a failure.
static void
write_out(const void *bytes, size_t length)
{
	if (fwrite(bytes, 1, length, output_stream) != length)
		fail_with_error(shown, 1);
}

// Writes the gathered bytes and empties the block.
static void
write_block()
{
	write_out(output_block, output_used);
	output_used = 0;
}

void
output_bytes(const void *bytes, size_t length)
{
	if (length > output_block_size - output_used) {
		write_block();
		// A long entry goes out as it is, without a copy.
		if (length >= output_block_size) {
			write_out(bytes, length);
			return;
		}
	}
	memcpy(output_block + output_used, bytes, length);
	output_used += length;
}

void
output_blanks(uint64_t count)
{
	while (count > 0) {
		if (output_used == output_block_size)
			write_block();
		size_t room = output_block_size - output_used;
		size_t part = count < room ? static_cast<size_t>(count) : room;
		memset(output_block + output_used, ' ', part);
		output_used += part;
		count -= part;
	}
}

void
output_entry(uint64_t padding, const char *bytes, size_t length)
{
	// The usual entry fits the block whole: one memcpy, behind one memset unless the layout
	// is compact, where the call would cost more than the entry's copy.
	if (padding + length < output_block_size - output_used) {
		char *at = output_block + output_used;
		if (padding > 0)
			memset(at, ' ', static_cast<size_t>(padding));
		memcpy(at + padding, bytes, length);
		at[padding + length] = '\0';
		output_used += static_cast<size_t>(padding) + length + 1;
		return;
	}
	output_blanks(padding);
	output_bytes(bytes, length);
	output_bytes("", 1);
}

// Renames the temporary over the file, once interrupts are held: the new file in place then
// ends the process with status 0. Should the rename fail once the old file is gone (Windows
// removes it first), the new file stays under its temporary name, which the message gives.
static void
place_temporary()
{
	hold_interrupts();
	keep_temporary(temporary);
	switch (replace_file(temporary, file)) {
	case replace_outcome::replaced:
		break;
	case replace_outcome::old_kept:
		report_error(chosen);
		remove(temporary);
		exit(1);
	case replace_outcome::old_gone:
		fail_with_error(temporary, 1);
	}
	free(const_cast<char *>(temporary));
	if (file != chosen)
		free(const_cast<char *>(file));
}

void
output_close()
{
	write_block();
	if (output_stream == stdout) {
		if (fflush(stdout) != 0 || ferror(stdout))
			fail_with_error(shown, 1);
		return;
	}
	// fclose lets go of the stream even when it fails.
	open_stream = nullptr;
	if (fclose(output_stream) != 0)
		fail_with_error(shown, 1);
	if (temporary != nullptr)
		place_temporary();
}
