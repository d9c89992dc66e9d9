#include "entry_file.h"

#include <stdlib.h>

#include "error_report.h"

int32_t draw_base;
int32_t body_length = -1;

// The header's last 40 bytes lead to the first entry when there are more than 40.
int64_t
drawable_start(int64_t header_end)
{
	return header_end > 40 ? header_end - 40 : header_end;
}

// Reads past the next separator; returns 0 there, or stream_end or stream_error.
static int
skip_past_separator(entry_stream *stream)
{
	int c;
	while ((c = stream_get(stream)) > 0)
		;
	return c;
}

header_outcome
find_drawable_stretch(entry_stream *stream)
{
	int c = skip_past_separator(stream);
	if (c == stream_error)
		return header_outcome::read_error;
	if (c == stream_end)
		return header_outcome::no_separator;

	int64_t base = drawable_start(stream_position(stream));
	int64_t size;
	if (!stream_seek_end(stream, &size))
		return header_outcome::seek_failed;
	if (size > INT32_MAX)
		return header_outcome::too_large;
	draw_base = static_cast<int32_t>(base);
	body_length = static_cast<int32_t>(size - base);
	return header_outcome::found;
}

void
scan_header(entry_stream *stream)
{
	switch (find_drawable_stretch(stream)) {
	case header_outcome::read_error:
		fail_with_error(stream->path, 1);
	case header_outcome::no_separator:
		fail_with_message("File contains no separators.\n", 2);
	case header_outcome::seek_failed:
		fail_with_error("fseek 1", 1);
	case header_outcome::too_large:
		fail_with_message("File is too large.\n", 2);
	case header_outcome::found:
		break;
	}
}

scan_result
entry_after_separator(entry_stream *stream, int c)
{
	int64_t separator = stream_position(stream) - 1;
	if (c == 0)
		while (is_whitespace(c = stream_get(stream)))
			;
	if (c == stream_error)
		return {scan_outcome::read_error, 0, 0};
	if (c == stream_end)
		return {scan_outcome::dead, 0, stream_position(stream)};
	return {scan_outcome::entry, c, separator};
}

scan_result
scan_to_entry(entry_stream *stream)
{
	return entry_after_separator(stream, skip_past_separator(stream));
}

// Doubles the entry's block, keeping its contents.
static bool
enlarge(entry_text *text)
{
	if (text->capacity > SIZE_MAX / 2)
		return false;
	char *larger = static_cast<char *>(realloc(text->bytes, text->capacity * 2));
	if (larger == nullptr)
		return false;
	text->bytes = larger;
	text->capacity *= 2;
	return true;
}

read_outcome
read_entry(entry_stream *stream, int first_byte, entry_text *text)
{
	text->capacity = 80;
	text->length = 0;
	text->bytes = static_cast<char *>(malloc(text->capacity));
	if (text->bytes == nullptr)
		return read_outcome::no_first_block;
	// An empty entry is the separator itself: nothing of the next entry belongs to it.
	int c = first_byte;
	for (; c > 0; c = stream_get(stream)) {
		text->bytes[text->length++] = static_cast<char>(c);
		if (text->length == text->capacity - 1 && !enlarge(text))
			return read_outcome::no_larger_block;
	}
	text->bytes[text->length] = '\0';
	return c == stream_error ? read_outcome::read_error : read_outcome::complete;
}
