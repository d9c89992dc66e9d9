#pragma once
// Searches over a block of bytes, shared by the splitter and the checker. They run once or
// twice for every entry, so they are inline.

#include <stddef.h>
#include <stdint.h>
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

// How many of mirl's whitespace bytes bytes begins with. Padding is blanks: four of them are
// compared at once.
inline size_t
leading_whitespace(const unsigned char *bytes, size_t length)
{
	size_t i = 0;
	for (uint32_t word; length - i >= 4; i += 4) {
		memcpy(&word, bytes + i, 4);
		if (word != 0x20202020)
			break;
	}
	while (i < length && is_whitespace(bytes[i]))
		i++;
	return i;
}

// Whether bytes are all mirl's whitespace; the first other byte ends the look.
inline bool
all_whitespace(const unsigned char *bytes, size_t length)
{
	return leading_whitespace(bytes, length) == length;
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
