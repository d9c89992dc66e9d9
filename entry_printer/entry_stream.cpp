#include "entry_stream.h"

#include "system_file.h"

bool
stream_open(entry_stream *stream, const char *path)
{
	stream->path = path;
	stream->fd = file_open(path);
	stream->block_start = 0;
	stream->block_length = 0;
	stream->next = 0;
	stream->ended = false;
	stream->reads = 0;
	return stream->fd >= 0;
}

void
stream_close(entry_stream *stream)
{
	file_close(stream->fd);
}

// Starts an empty block at offset; the descriptor must stand there.
static void
empty_block_at(entry_stream *stream, int64_t offset)
{
	stream->block_start = offset;
	stream->block_length = 0;
	stream->next = 0;
	stream->ended = false;
}

bool
stream_seek(entry_stream *stream, int64_t offset)
{
	// Redraws often land in the block just read; those need no system call.
	if (offset >= stream->block_start &&
	    offset <= stream->block_start + static_cast<int64_t>(stream->block_length)) {
		stream->next = static_cast<size_t>(offset - stream->block_start);
		stream->ended = false;
		return true;
	}
	if (!file_seek(stream->fd, offset))
		return false;
	empty_block_at(stream, offset);
	return true;
}

bool
stream_seek_end(entry_stream *stream, int64_t *size)
{
	int64_t end = file_seek_end(stream->fd);
	if (end < 0)
		return false;
	empty_block_at(stream, end);
	*size = end;
	return true;
}

int64_t
stream_position(const entry_stream *stream)
{
	return stream->block_start + static_cast<int64_t>(stream->next);
}

bool
stream_at_file_end(const entry_stream *stream)
{
	// A 0x1A stays in the block; the end of the file leaves it empty.
	return stream->ended && stream->next == stream->block_length;
}

// The next stored byte without taking it, reading the next block when this one is used up.
static int
peek_stored(entry_stream *stream)
{
	if (stream->next == stream->block_length) {
		long count = file_read(stream->fd, stream->block, sizeof stream->block);
		stream->reads++;
		if (count < 0)
			return stream_error;
		stream->block_start += static_cast<int64_t>(stream->block_length);
		stream->block_length = static_cast<size_t>(count);
		stream->next = 0;
		if (count == 0)
			return stream_end;
	}
	return stream->block[stream->next];
}

int
stream_get(entry_stream *stream)
{
	if (stream->ended)
		return stream_end;
	int c = peek_stored(stream);
	if (c == stream_end || c == 0x1A) {
		stream->ended = true;
		return stream_end;
	}
	if (c == stream_error)
		return c;
	stream->next++;
	if (c == '\r' && peek_stored(stream) == '\n') {
		stream->next++;
		return '\n';
	}
	return c;
}

long
stream_take_block(entry_stream *stream, const unsigned char **bytes)
{
	int c = peek_stored(stream);
	if (c < 0)
		return c == stream_end ? 0 : -1;
	*bytes = &stream->block[stream->next];
	long count = static_cast<long>(stream->block_length - stream->next);
	stream->next = stream->block_length;
	return count;
}
