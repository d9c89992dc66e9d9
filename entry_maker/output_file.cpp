#include "output_file.h"

#include <string.h>

#include "error_report.h"
#include "temporaries.h"

enum { output_block_size = 1 << 17 };

static FILE *output_stream;
static const char *output_name;
static size_t output_used;
static char output_block[output_block_size];

void
output_start(FILE *stream, const char *name)
{
	// The block is the buffer: the stream's own would only split each write in two.
	setvbuf(stream, nullptr, _IONBF, 0);
	output_stream = stream;
	output_name = name;
	output_used = 0;
}

// Writes length bytes; a short write is a failure.
static void
write_out(const void *bytes, size_t length)
{
	if (fwrite(bytes, 1, length, output_stream) != length)
		fail_with_error(output_name, 1);
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

void
output_finish()
{
	write_block();
	if (output_stream == stdout) {
		if (fflush(stdout) != 0 || ferror(stdout))
			fail_with_error(output_name, 1);
		return;
	}
	// fclose lets go of the stream even when it fails.
	open_stream = nullptr;
	if (fclose(output_stream) != 0)
		fail_with_error(output_name, 1);
}
