#pragma once
// Searches over a block of bytes, shared by the splitter and the checker. They run once or
// twice for every entry, so they are inline.

#include <stddef.h>
#include <string.h>

#include "entry_file.h"

// The offset of the first byte in block[from..length), or length.
inline size_t
find_byte(const unsigned char *block, size_t from, size_t length, int byte)
{
	const void *found = memchr(block + from, byte, length - from);
	return found != nullptr
		   ? static_cast<size_t>(static_cast<const unsigned char *>(found) - block)
		   : length;
}

// Whether bytes are all mirl's whitespace; the first other byte ends the look.
inline bool
all_whitespace(const unsigned char *bytes, size_t length)
{
	for (size_t i = 0; i < length; i++)
		if (!is_whitespace(bytes[i]))
			return false;
	return true;
}

// Whether bytes are all ASCII. The loop has no early exit, so that it vectorizes.
inline bool
all_ascii(const unsigned char *bytes, size_t length)
{
	unsigned char any = 0;
	for (size_t i = 0; i < length; i++)
		any |= bytes[i];
	return any < 0x80;
}
