#include "code_page.h"

#include <string.h>

// The units the character at units[i] takes: two for a surrogate pair.
static size_t
character_width(const uint16_t *units, size_t i)
{
	return units[i] >= 0xD800 && units[i] <= 0xDBFF ? 2 : 1;
}

// The code point of the character at units[i].
static uint32_t
code_point(const uint16_t *units, size_t i)
{
	if (character_width(units, i) == 1)
		return units[i];
	return 0x10000 + ((units[i] - 0xD800u) << 10) + (units[i + 1] - 0xDC00u);
}

#ifdef _WIN32
#include <windows.h>

static UINT code_page = CP_ACP;

// A decimal number of at most five digits, or 0.
static UINT
number_of(const char *name)
{
	size_t length = strlen(name);
	if (length == 0 || length > 5 || strspn(name, "0123456789") != length)
		return 0;
	UINT number = 0;
	for (const char *c = name; *c != '\0'; c++)
		number = number * 10 + static_cast<UINT>(*c - '0');
	return number;
}

code_page_choice
choose_code_page(const char *name)
{
	if (name == nullptr)
		code_page = GetACP();
	else if (strcmp(name, "oem") == 0)
		code_page = GetOEMCP();
	else if ((code_page = number_of(name)) == 0)
		return code_page_choice::not_a_code_page;
	return IsValidCodePage(code_page) ? code_page_choice::chosen
					  : code_page_choice::not_installed;
}

unsigned long
code_page_number()
{
	return code_page;
}

bool
code_page_is_utf8()
{
	return code_page == CP_UTF8;
}

// Converts count units; *defaulted tells whether the system put its default character for one
// it has no place for. The UTF conversions take no such flag: they place every character.
static size_t
convert(const uint16_t *units, size_t count, unsigned char *out, BOOL *defaulted)
{
	*defaulted = FALSE;
	bool utf = code_page == CP_UTF8 || code_page == CP_UTF7;
	return static_cast<size_t>(WideCharToMultiByte(
	    code_page, /* flags */ 0, reinterpret_cast<LPCWSTR>(units), static_cast<int>(count),
	    reinterpret_cast<LPSTR>(out), static_cast<int>(count * most_bytes_per_unit),
	    /* default character */ NULL, utf ? NULL : defaulted));
}

size_t
encode_units(const uint16_t *units, size_t count, unsigned char *out, unmapped_character *unmapped,
	     void *context)
{
	if (count == 0)
		return 0;
	BOOL defaulted;
	size_t length = convert(units, count, out, &defaulted);
	if (!defaulted)
		return length;
	// Rare: find the characters one at a time.
	unsigned char scratch[2 * most_bytes_per_unit];
	for (size_t i = 0, width; i < count; i += width) {
		width = character_width(units, i);
		convert(units + i, width, scratch, &defaulted);
		if (defaulted)
			unmapped(context, i, code_point(units, i));
	}
	return length;
}
#else
code_page_choice
choose_code_page(const char *name)
{
	return name == nullptr ? code_page_choice::chosen : code_page_choice::not_on_this_build;
}

unsigned long
code_page_number()
{
	return 65001;
}

bool
code_page_is_utf8()
{
	return true;
}

size_t
encode_units(const uint16_t *units, size_t count, unsigned char *out,
	     unmapped_character * /* UTF-8 places every character */, void * /* context */)
{
	unsigned char *at = out;
	for (size_t i = 0; i < count; i += character_width(units, i)) {
		uint32_t code = code_point(units, i);
		if (code < 0x80) {
			*at++ = static_cast<unsigned char>(code);
		} else if (code < 0x800) {
			*at++ = static_cast<unsigned char>(0xC0 | code >> 6);
			*at++ = static_cast<unsigned char>(0x80 | (code & 0x3F));
		} else if (code < 0x10000) {
			*at++ = static_cast<unsigned char>(0xE0 | code >> 12);
			*at++ = static_cast<unsigned char>(0x80 | (code >> 6 & 0x3F));
			*at++ = static_cast<unsigned char>(0x80 | (code & 0x3F));
		} else {
			*at++ = static_cast<unsigned char>(0xF0 | code >> 18);
			*at++ = static_cast<unsigned char>(0x80 | (code >> 12 & 0x3F));
			*at++ = static_cast<unsigned char>(0x80 | (code >> 6 & 0x3F));
			*at++ = static_cast<unsigned char>(0x80 | (code & 0x3F));
		}
	}
	return static_cast<size_t>(at - out);
}
#endif
