#include "byte_search.h"

#include <string.h>

#include "entry_file.h"

size_t
find_byte(const unsigned char *block, size_t from, size_t length, int byte)
{
	const void *found = memchr(block + from, byte, length - from);
	return found != nullptr
		   ? static_cast<size_t>(static_cast<const unsigned char *>(found) - block)
		   : length;
}

bool
all_whitespace(const unsigned char *bytes, size_t length)
{
	for (size_t i = 0; i < length; i++)
		if (!is_whitespace(bytes[i]))
			return false;
	return true;
}
