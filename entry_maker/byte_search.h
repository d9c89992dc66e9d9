#pragma once
// Searches over a block of bytes, shared by the splitter and the checker.

#include <stddef.h>

// The offset of the first byte in block[from..length), or length.
size_t find_byte(const unsigned char *block, size_t from, size_t length, int byte);

// Whether bytes are all mirl's whitespace; the first other byte ends the look.
bool all_whitespace(const unsigned char *bytes, size_t length);
