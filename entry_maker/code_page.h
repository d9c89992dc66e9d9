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

// Chooses the code page named by name: a number, "oem" for the console's (the one that chcp set
// in the console that mirlmake runs in, else the system's OEM code page), or "ansi" or null for
// the system's, the default; the names in any letter case.
code_page_choice choose_code_page(const char *name);

// The number of the chosen code page, for messages.
unsigned long code_page_number();

// The system's ANSI code page, which text that is UTF-8 but for a few bytes holds them in, and
// the characters of its bytes 0x80 to 0xFF, 128 units; natively ISO 8859-1's.
unsigned long ansi_code_page();
const uint16_t *ansi_characters();

// Whether the chosen code page is UTF-8, so that UTF-8 text is stored as it is.
bool code_page_is_utf8();

// What the code page makes of a character that it does not hold as itself: a byte that the
// text may not hold there, or no place, or another character in its place, a best fit.
enum { no_place = -1, best_fit = -2 };

struct misplacement {
	uint32_t code;
	int byte;     // the byte, no_place or best_fit
	uint32_t fit; // with best_fit: the character stored
};

// The code page's no-break space, which stands in front of an indented entry, since mirl skips
// blanks and tabs there: its bytes, and their count, 0 when the code page has none.
const char *no_break_space(size_t *length);

// Called for each character in units that the code page does not hold as itself: its index, and
// what the code page makes of it. A letter that it holds only as another letter has no place:
// that would change a name.
typedef void misplaced_character(void *context, size_t unit, const misplacement *made);

// The most bytes that units, whose surrogate pairs are whole, take in the code page.
size_t encoded_room(const uint16_t *units, size_t count);

// Converts units, at most most_units(65536) of them, into out, which has room bytes from
// encoded_room, and returns the bytes written.
size_t encode_units(const uint16_t *units, size_t count, unsigned char *out, size_t room,
		    misplaced_character *misplaced, void *context);
