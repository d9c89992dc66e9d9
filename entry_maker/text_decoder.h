#pragma once
// Decodes the text of an input into UTF-16, a block at a time: UTF-8, or UTF-16 in either byte
// order, as Notepad saves it. The code page conversion of Windows starts from UTF-16, and
// Windows 95 has no UTF-8 conversion of its own. Decoded text is split as UTF-8, which holds
// ASCII as it is.

#include <stddef.h>
#include <stdint.h>

// bytes: text kept as it is stored. utf8_and_ansi: UTF-8 but for a few stray bytes, each a
// character of the ANSI code page, as when text in it was pasted into UTF-8.
enum class text_encoding { bytes, utf8, utf8_and_ansi, utf16le, utf16be };

// The encoding that a byte order mark at the start of text names, and the mark's length; bytes
// and 0 when there is none.
text_encoding encoding_of_mark(const unsigned char *text, size_t length, size_t *mark_length);

// The encoding that the NULs of the first block of unmarked text show, as editors save UTF-16
// without a mark: UTF-16 when every NUL stands at an odd offset (LE) or every one at an even
// offset (BE), and its line ends, if it has any, are UTF-16 units; else bytes.
text_encoding encoding_of_nuls(const unsigned char *text, size_t length);

enum { most_noted_strays = 10 };

struct text_decoder {
	text_encoding encoding;
	unsigned char pending[3]; // the start of a character that the last block cut short
	size_t pending_length;
	// Counts that only text of 4 GB or more would wrap, which makes an entry file too large.
	uint32_t characters; // beyond ASCII
	bool passes_strays;  // UTF-8 bytes that are no part of a character are counted, not refused
	uint32_t strays;     // those bytes
	// With utf8_and_ansi, set by the caller: what stray bytes 0x80 to 0xFF decode into.
	const uint16_t *stray_units;
	// The first stray bytes, and where: in the block that each was found in, or 0 when among
	// the pending bytes.
	unsigned char first_strays[most_noted_strays];
	size_t first_strays_at[most_noted_strays];
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

// Starts decoding; utf8_and_ansi passes stray bytes, and so may bytes checked as UTF-8.
void decode_start(text_decoder *decoder, text_encoding encoding);

// Decodes bytes into units, which has room for most_units(length); a character cut short at
// the end of the block waits for the next one, unless at_end says the text ends with it. A
// surrogate pair is never split between blocks.
decode_result decode_block(text_decoder *decoder, const unsigned char *bytes, size_t length,
			   bool at_end, uint16_t *units);

// The units the character at units[i] takes: two for a surrogate pair.
inline size_t
character_width(const uint16_t *units, size_t i)
{
	return units[i] >= 0xD800 && units[i] <= 0xDBFF ? 2 : 1;
}

// The code point of the character at units[i].
inline uint32_t
code_point(const uint16_t *units, size_t i)
{
	if (character_width(units, i) == 1)
		return units[i];
	return 0x10000 + ((units[i] - 0xD800u) << 10) + (units[i + 1] - 0xDC00u);
}

// Writes units, whose surrogate pairs are whole, as UTF-8 into out, which has room for
// utf8_room(count); returns the bytes written.
size_t encode_utf8(const uint16_t *units, size_t count, unsigned char *out);

constexpr size_t
utf8_room(size_t units)
{
	return 3 * units;
}
