#pragma once
// Decodes the text of an input into UTF-16, a block at a time: UTF-8, or UTF-16 in either byte
// order, as Notepad saves it. The code page conversion of Windows starts from UTF-16, and
// Windows 95 has no UTF-8 conversion of its own.

#include <stddef.h>
#include <stdint.h>

// bytes: text kept as it is stored.
enum class text_encoding { bytes, utf8, utf16le, utf16be };

// The encoding that a byte order mark at the start of text names, and the mark's length; bytes
// and 0 when there is none.
text_encoding encoding_of_mark(const unsigned char *text, size_t length, size_t *mark_length);

struct text_decoder {
	text_encoding encoding;
	unsigned char pending[3]; // the start of a character that the last block cut short
	size_t pending_length;
	bool above_ascii; // some character is not ASCII
};

enum class decode_outcome { ok, invalid_utf8, odd_length, unpaired_surrogate };

struct decode_result {
	decode_outcome outcome;
	size_t units;       // written, all of them in front of a fault
	uint16_t surrogate; // with unpaired_surrogate
};

// The most units a block of length bytes decodes into.
constexpr size_t
most_units(size_t length)
{
	return length + 3;
}

void decode_start(text_decoder *decoder, text_encoding encoding);

// Decodes bytes into units, which has room for most_units(length); a character cut short at
// the end of the block waits for the next one, unless at_end says the text ends with it. A
// surrogate pair is never split between blocks.
decode_result decode_block(text_decoder *decoder, const unsigned char *bytes, size_t length,
			   bool at_end, uint16_t *units);
