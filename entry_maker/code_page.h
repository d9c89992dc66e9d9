#pragma once
// The code page that the entries of a made file are stored in, and the conversion into it from
// UTF-16. On Windows it is the system's ANSI code page unless another is chosen; natively the
// entries are stored as UTF-8, the platform's own text.

#include <stddef.h>
#include <stdint.h>

enum class code_page_choice { chosen, not_a_code_page, not_installed, not_on_this_build };

// Chooses the code page named by name: a number, "oem" for the console's, or null for the
// default.
code_page_choice choose_code_page(const char *name);

// The number of the chosen code page, for messages.
unsigned long code_page_number();

// Whether the chosen code page is UTF-8, so that UTF-8 text is stored as it is.
bool code_page_is_utf8();

// The most bytes that one UTF-16 unit takes in any code page: GB 18030 gives four to some, and
// UTF-7 five to one between ASCII characters.
enum { most_bytes_per_unit = 5 };

// Called for each character in units that has no place in the code page: its index and code.
typedef void unmapped_character(void *context, size_t unit, uint32_t code);

// Converts units, whose surrogate pairs are whole, into out (room for most_bytes_per_unit
// bytes a unit), and returns the bytes written. Close approximations that the system makes
// itself are kept.
size_t encode_units(const uint16_t *units, size_t count, unsigned char *out,
		    unmapped_character *unmapped, void *context);
