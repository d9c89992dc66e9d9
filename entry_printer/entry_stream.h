#pragma once

#include <stddef.h>
#include <stdint.h>

// A forward reader over the entry file that reads it in blocks and applies the file's reading
// rules itself, so that every platform sees the same bytes: a CR before a LF is read as that LF,
// a byte 0x1A ends the scan that meets it until the next seek, and positions are byte offsets
// into the stored file.
struct entry_stream {
	const char *path;
	int fd;
	int64_t block_start; // file offset of block[0]; the descriptor stands just past the block
	size_t block_length;
	size_t next;
	bool ended;
	uint64_t reads; // of a block each, since the file was opened
	unsigned char block[4096];
};

// What stream_get returns besides a byte.
enum { stream_end = -1, stream_error = -2 };

// Opens path for reading without denying others any access; false with errno set on failure.
bool stream_open(entry_stream *stream, const char *path);
void stream_close(entry_stream *stream);

// Moves to offset from the start of the file; false with errno set on failure.
bool stream_seek(entry_stream *stream, int64_t offset);

// Moves to the end of the file and stores its size; false with errno set on failure.
bool stream_seek_end(entry_stream *stream, int64_t *size);

// The stored offset of the next byte; at a 0x1A that ended the scan, the offset of that byte.
int64_t stream_position(const entry_stream *stream);

// Whether the scan has ended at the end of the file rather than at a 0x1A.
bool stream_at_file_end(const entry_stream *stream);

// The next byte as the reading rules show it, stream_end, or stream_error with errno set.
int stream_get(entry_stream *stream);

// The stored bytes from the current position to the end of the block, reading the next block
// when none are left, all taken at once and without the reading rules: for a pass over the
// file that applies them itself. Their count, 0 at the end of the file, or -1 with errno set.
long stream_take_block(entry_stream *stream, const unsigned char **bytes);
