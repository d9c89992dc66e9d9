#pragma once
// The code page that the entries of a made file are stored in, and the conversion into it from
// UTF-16. On Windows it is the system's ANSI code page unless another is chosen; natively the
// entries are stored as UTF-8, the platform's own text.

#include <stddef.h>
#include <stdint.h>

enum class code_page_choice {
	chosen,
	not_a_code_page,
	not_installed,
	not_ascii, // it stores printable ASCII, tab, CR or LF as other bytes
	not_on_this_build
};

// Chooses the code page named by name: a number, "oem" for the console's, or "ansi" or null for
// the system's, the default; the names in any letter case.
code_page_choice choose_code_page(const char *name);

// The number of the chosen code page, for messages.
unsigned long code_page_number();

// Whether the chosen code page is UTF-8, so that UTF-8 text is stored as it is.
bool code_page_is_utf8();

// What a character that the code page has no place for becomes.
enum { no_place = -1 };

// The code page's no-break space, which stands in front of an indented entry, since mirl skips
// blanks and tabs there: its bytes, and their count, 0 when the code page has none.
const char *no_break_space(size_t *length);

// Called for each character in units that the code page has no place for, or turns into a NUL,
// 0x1A, CR or LF though it is none of them: its index, its code, and that byte or no_place.
typedef void misplaced_character(void *context, size_t unit, uint32_t code, int byte);

// The most bytes that units, whose surrogate pairs are whole, take in the code page.
size_t encoded_room(const uint16_t *units, size_t count);

// Converts units into out, which has room bytes from encoded_room, and returns the bytes
// written. Close substitutes that the system makes itself, as U for Ü, are kept.
size_t encode_units(const uint16_t *units, size_t count, unsigned char *out, size_t room,
		    misplaced_character *misplaced, void *context);
