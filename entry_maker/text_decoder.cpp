#include "text_decoder.h"

#include <string.h>

text_encoding
encoding_of_mark(const unsigned char *text, size_t length, size_t *mark_length)
{
	*mark_length = 0;
	if (length >= 3 && text[0] == 0xEF && text[1] == 0xBB && text[2] == 0xBF) {
		*mark_length = 3;
		return text_encoding::utf8;
	}
	if (length >= 2 && text[0] == 0xFF && text[1] == 0xFE) {
		*mark_length = 2;
		return text_encoding::utf16le;
	}
	if (length >= 2 && text[0] == 0xFE && text[1] == 0xFF) {
		*mark_length = 2;
		return text_encoding::utf16be;
	}
	return text_encoding::bytes;
}

// Each line end of UTF-16 is a unit, its LF beside a NUL: bytes i and i ^ 1 form a unit.
text_encoding
encoding_of_nuls(const unsigned char *text, size_t length)
{
	const void *nul = memchr(text, 0, length);
	if (nul == nullptr)
		return text_encoding::bytes;
	size_t nul_parity = static_cast<size_t>(static_cast<const unsigned char *>(nul) - text) % 2;
	unsigned line_ends = 0; // 1: a LF seen; 3: one that is a UTF-16 unit too
	for (size_t i = 0; i < length; i++) {
		if (text[i] == 0 && i % 2 != nul_parity)
			return text_encoding::bytes;
		if (text[i] == '\n')
			line_ends |= (i ^ 1) < length && text[i ^ 1] == 0 ? 3 : 1;
	}
	if (line_ends == 1)
		return text_encoding::bytes;
	return nul_parity == 1 ? text_encoding::utf16le : text_encoding::utf16be;
}

void
decode_start(text_decoder *d, text_encoding encoding)
{
	*d = {};
	d->encoding = encoding;
	d->passes_strays = encoding == text_encoding::utf8_and_ansi;
}

// The bytes being decoded: what the last block left, then the new block.
struct joined_bytes {
	const unsigned char *pending;
	size_t pending_length;
	const unsigned char *bytes;
	size_t size;

	unsigned char at(size_t i) const
	{
		return i < pending_length ? pending[i] : bytes[i - pending_length];
	}
};

// Keeps joined[from..size) for the next block. Each byte is read at or after the place it is
// written to, so the copy may run within the pending bytes.
static void
keep_pending(text_decoder *d, const joined_bytes *joined, size_t from)
{
	size_t length = joined->size - from;
	for (size_t i = 0; i < length; i++)
		d->pending[i] = joined->at(from + i);
	d->pending_length = length;
}

// Writes a code point as one unit or a surrogate pair; returns the units written.
static size_t
put_code_point(uint32_t code, uint16_t *units)
{
	if (code < 0x10000) {
		units[0] = static_cast<uint16_t>(code);
		return 1;
	}
	code -= 0x10000;
	units[0] = static_cast<uint16_t>(0xD800 + (code >> 10));
	units[1] = static_cast<uint16_t>(0xDC00 + (code & 0x3FF));
	return 2;
}

// The length of the UTF-8 sequence that lead begins, and the lead's bits of its code point; 0
// when lead cannot begin one. C0 and C1 would begin overlong forms, F5 and above code points
// past U+10FFFF.
static size_t
sequence_length(unsigned char lead, uint32_t *code)
{
	if (lead >= 0xC2 && lead <= 0xDF) {
		*code = lead & 0x1Fu;
		return 2;
	}
	if (lead >= 0xE0 && lead <= 0xEF) {
		*code = lead & 0x0Fu;
		return 3;
	}
	if (lead >= 0xF0 && lead <= 0xF4) {
		*code = lead & 0x07u;
		return 4;
	}
	return 0;
}

// Whether a decoded sequence of length bytes is the shortest form of a code point that UTF-8
// may hold: no surrogate, nothing past U+10FFFF.
static bool
valid_code_point(uint32_t code, size_t length)
{
	static const uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
	return code >= least[length] && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
}

enum { cut_short = 5 }; // no sequence is so long

// Reads the UTF-8 sequence at in[i], which is not ASCII: returns its length and sets code to
// its code point; 0 when the bytes there begin no character, cut_short when the bytes at hand
// end inside it.
static size_t
read_sequence(const joined_bytes *in, size_t i, uint32_t *code)
{
	size_t length = sequence_length(in->at(i), code);
	if (length == 0)
		return 0;
	size_t have = in->size - i < length ? in->size - i : length;
	for (size_t k = 1; k < have; k++) {
		unsigned char c = in->at(i + k);
		if ((c & 0xC0) != 0x80)
			return 0;
		*code = *code << 6 | (c & 0x3Fu);
	}
	if (have < length)
		return cut_short;
	return valid_code_point(*code, length) ? length : 0;
}

static decode_result
decode_utf8(text_decoder *d, const joined_bytes *in, bool at_end, uint16_t *units)
{
	size_t i = 0, n = 0;
	while (i < in->size) {
		unsigned char lead = in->at(i);
		if (lead < 0x80) {
			units[n++] = lead;
			i++;
			continue;
		}
		uint32_t code;
		size_t length = read_sequence(in, i, &code);
		if (length == cut_short && !at_end)
			break;
		if (length == 0 || length == cut_short) {
			if (!d->passes_strays)
				return {decode_outcome::invalid_utf8, n, 0};
			if (d->strays < most_noted_strays) {
				d->first_strays[d->strays] = lead;
				d->first_strays_at[d->strays] =
				    i < in->pending_length ? 0 : i - in->pending_length;
			}
			d->strays++;
			if (d->stray_units != nullptr)
				units[n++] = d->stray_units[lead - 0x80];
			i++;
			continue;
		}
		d->characters++;
		n += put_code_point(code, units + n);
		i += length;
	}
	keep_pending(d, in, i);
	return {decode_outcome::ok, n, 0};
}

// The UTF-16 unit of the two bytes at in[i], in the byte order that little says.
static uint16_t
unit_at(const joined_bytes *in, size_t i, bool little)
{
	unsigned char first = in->at(i), second = in->at(i + 1);
	return little ? static_cast<uint16_t>(first | second << 8)
		      : static_cast<uint16_t>(first << 8 | second);
}

static decode_result
decode_utf16(text_decoder *d, const joined_bytes *in, bool at_end, uint16_t *units)
{
	bool little = d->encoding == text_encoding::utf16le;
	size_t i = 0, n = 0;
	while (in->size - i >= 2) {
		uint16_t unit = unit_at(in, i, little);
		if (unit >= 0xDC00 && unit <= 0xDFFF)
			return {decode_outcome::unpaired_surrogate, n, unit};
		if (unit >= 0xD800 && unit <= 0xDBFF) {
			// The pair goes out whole, so the next block waits for its second half.
			if (in->size - i < 4) {
				if (!at_end)
					break;
				if ((in->size - i) % 2 != 0)
					return {decode_outcome::odd_length, n, 0};
				return {decode_outcome::unpaired_surrogate, n, unit};
			}
			uint16_t low = unit_at(in, i + 2, little);
			if (low < 0xDC00 || low > 0xDFFF)
				return {decode_outcome::unpaired_surrogate, n, unit};
			units[n++] = unit;
			unit = low;
			i += 2;
		}
		units[n++] = unit;
		i += 2;
	}
	if (at_end && in->size - i != 0)
		return {decode_outcome::odd_length, n, 0};
	keep_pending(d, in, i);
	return {decode_outcome::ok, n, 0};
}

decode_result
decode_block(text_decoder *d, const unsigned char *bytes, size_t length, bool at_end,
	     uint16_t *units)
{
	joined_bytes in = {d->pending, d->pending_length, bytes, d->pending_length + length};
	if (d->encoding == text_encoding::utf8 || d->encoding == text_encoding::utf8_and_ansi)
		return decode_utf8(d, &in, at_end, units);
	return decode_utf16(d, &in, at_end, units);
}

size_t
encode_utf8(const uint16_t *units, size_t count, unsigned char *out)
{
	static const unsigned char leads[] = {0, 0xC0, 0xE0, 0xF0};
	unsigned char *at = out;
	for (size_t i = 0; i < count; i += character_width(units, i)) {
		uint32_t code = code_point(units, i);
		unsigned more = code < 0x80 ? 0 : code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
		*at++ = static_cast<unsigned char>(leads[more] | code >> 6 * more);
		while (more-- > 0)
			*at++ = static_cast<unsigned char>(0x80 | (code >> 6 * more & 0x3F));
	}
	return static_cast<size_t>(at - out);
}
