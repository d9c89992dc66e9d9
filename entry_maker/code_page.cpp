#include "code_page.h"

#include <string.h>

#include "text_decoder.h"

#ifdef _WIN32
#include <windows.h>

#include "entry_file.h"
#include "system_calls.h"

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

// Whether the code page stores printable ASCII, tab, CR and LF as ASCII's own bytes: the
// entry file's layout and the splitting of the text rest on them.
static bool
keeps_ascii()
{
	WCHAR units[98] = {'\t', '\n', '\r'};
	for (int i = 3; i < 98; i++)
		units[i] = static_cast<WCHAR>(' ' + i - 3);
	char bytes[98];
	if (WideCharToMultiByte(code_page, /* flags */ 0, units, 98, bytes, 98,
				/* default character */ NULL, NULL) != 98)
		return false;
	for (int i = 0; i < 98; i++)
		if (static_cast<unsigned char>(bytes[i]) != units[i])
			return false;
	return true;
}

// The code page a console window shows: the one chcp set in the console that standard error or
// output writes to, else the system's OEM code page, which a new console starts in. A console
// that both are redirected from shows nothing of this run.
static UINT
console_code_page()
{
	UINT shown = is_console(2) || is_console(1) ? GetConsoleOutputCP() : 0;
	return shown != 0 ? shown : GetOEMCP();
}

code_page_choice
choose_code_page(const char *name)
{
	if (name == nullptr || lstrcmpiA(name, "ansi") == 0)
		code_page = GetACP();
	else if (lstrcmpiA(name, "oem") == 0)
		code_page = console_code_page();
	else if ((code_page = number_of(name)) == 0)
		return code_page_choice::not_a_code_page;
	if (!IsValidCodePage(code_page))
		return code_page_choice::not_installed;
	return keeps_ascii() ? code_page_choice::chosen : code_page_choice::not_ascii;
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

unsigned long
ansi_code_page()
{
	return GetACP();
}

// A byte that begins a character of two bytes has none of its own: it stands for U+FFFD, which
// no code page places.
const uint16_t *
ansi_characters()
{
	static WCHAR units[128];
	for (int i = 0; i < 128; i++) {
		char byte = static_cast<char>(0x80 + i);
		units[i] = 0xFFFD;
		MultiByteToWideChar(CP_ACP, /* flags */ 0, &byte, 1, units + i, 1);
	}
	return reinterpret_cast<const uint16_t *>(units);
}

// Converts count units into room bytes at out, or only measures them when room is 0;
// *defaulted tells whether the system put its default character for one it has no place for.
// UTF-8 takes no such flag: it places every character.
static size_t
convert(const uint16_t *units, size_t count, unsigned char *out, size_t room, BOOL *defaulted)
{
	*defaulted = FALSE;
	return static_cast<size_t>(WideCharToMultiByte(
	    code_page, /* flags */ 0, reinterpret_cast<LPCWSTR>(units), static_cast<int>(count),
	    reinterpret_cast<LPSTR>(out), static_cast<int>(room), /* default character */ NULL,
	    code_page == CP_UTF8 ? NULL : defaulted));
}

// UTF-8's two bytes, or else one byte that is no whitespace of mirl's and not the default
// character: some code pages give a blank for U+00A0.
const char *
no_break_space(size_t *length)
{
	static unsigned char bytes[16];
	static size_t found;
	static bool looked_up;
	if (!looked_up) {
		looked_up = true;
		const uint16_t unit = 0xA0;
		BOOL defaulted;
		found = convert(&unit, 1, bytes, sizeof bytes, &defaulted);
		if (code_page != CP_UTF8 && (found != 1 || defaulted || is_whitespace(bytes[0])))
			found = 0;
	}
	*length = found;
	return reinterpret_cast<const char *>(bytes);
}

size_t
encoded_room(const uint16_t *units, size_t count)
{
	BOOL defaulted;
	return count == 0 ? 0 : convert(units, count, nullptr, 0, &defaulted);
}

// Whether b is a byte that a text holds only as the character it is: mirl ends an entry at a
// NUL and the text at a 0x1A, and the splitting has found the line ends.
static bool
is_guarded(unsigned b)
{
	return b == 0 || b == 0x1A || b == '\r' || b == '\n';
}

template <typename unit>
static size_t
count_guarded(const unit *text, size_t count)
{
	size_t guarded = 0;
	for (size_t i = 0; i < count; i++)
		guarded += is_guarded(text[i]);
	return guarded;
}

// Whether a character is a letter of the alphabets in which Windows' best fits give one letter
// for another, as L for Ł: Latin, Greek, Cyrillic and Armenian, and the fullwidth Latin ones.
static bool
is_letter(uint32_t c)
{
	static const uint16_t letters[][2] = {
	    {'A', 'Z'},     {'a', 'z'},     {0xC0, 0xD6},     {0xD8, 0xF6},     {0xF8, 0x2AF},
	    {0x370, 0x52F}, {0x531, 0x587}, {0x1E00, 0x1FFF}, {0xFF21, 0xFF3A}, {0xFF41, 0xFF5A}};
	for (size_t i = 0; i < sizeof letters / sizeof letters[0]; i++)
		if (c >= letters[i][0] && c <= letters[i][1])
			return true;
	return false;
}

// The character that the length bytes at bytes stand for in the code page, 0 for none.
static uint32_t
decoded(const unsigned char *bytes, size_t length)
{
	WCHAR units[4];
	int count = MultiByteToWideChar(code_page, /* flags */ 0, reinterpret_cast<LPCSTR>(bytes),
					static_cast<int>(length), units, 4);
	return count > 0 ? code_point(reinterpret_cast<const uint16_t *>(units), 0) : 0;
}

// Reports the character at units[i], of width units, should the code page not hold it as
// itself.
static void
check_character(const uint16_t *units, size_t i, size_t width, misplaced_character *misplaced,
		void *context)
{
	// Room for one character, and the shifts of a code page that has states around it.
	unsigned char bytes[16];
	BOOL defaulted;
	size_t length = convert(units + i, width, bytes, sizeof bytes, &defaulted);
	misplacement made = {code_point(units, i), no_place, 0};
	if (!defaulted && !is_guarded(units[i]))
		for (size_t k = 0; k < length; k++)
			if (is_guarded(bytes[k]))
				made.byte = bytes[k];
	made.fit = decoded(bytes, length);
	// A fullwidth letter is the same letter as the one it becomes.
	uint32_t letter =
	    made.code >= 0xFF21 && made.code <= 0xFF5A ? made.code - 0xFEE0 : made.code;
	bool other_letter = is_letter(made.code) && is_letter(made.fit) && made.fit != letter;
	if (!defaulted && made.byte == no_place && !other_letter) {
		if (made.fit == made.code)
			return;
		made.byte = best_fit;
	}
	misplaced(context, i, &made);
}

// Whether the length bytes at out stand for exactly the count units.
static bool
converts_back(const unsigned char *out, size_t length, const uint16_t *units, size_t count)
{
	// Static, as the blocks of the text are: a frame this large would be probed page by page.
	static WCHAR back[most_units(65536)];
	return code_page == CP_UTF8 ||
	       (count <= most_units(65536) &&
		MultiByteToWideChar(code_page, /* flags */ 0, reinterpret_cast<LPCSTR>(out),
				    static_cast<int>(length), back,
				    static_cast<int>(count)) == static_cast<int>(count) &&
		memcmp(back, units, count * sizeof *units) == 0);
}

// Windows puts a close character in place of one that a code page lacks, unasked and on every
// version: converting back and comparing finds each.
size_t
encode_units(const uint16_t *units, size_t count, unsigned char *out, size_t room,
	     misplaced_character *misplaced, void *context)
{
	if (count == 0)
		return 0;
	BOOL defaulted;
	size_t length = convert(units, count, out, room, &defaulted);
	if (!defaulted && count_guarded(out, length) == count_guarded(units, count) &&
	    converts_back(out, length, units, count))
		return length;
	// Rare: find the characters one at a time.
	for (size_t i = 0; i < count; i += character_width(units, i))
		check_character(units, i, character_width(units, i), misplaced, context);
	return length;
}
#else
const char *
no_break_space(size_t *length)
{
	*length = 2;
	return "\xC2\xA0";
}

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

unsigned long
ansi_code_page()
{
	return 28591;
}

const uint16_t *
ansi_characters()
{
	static uint16_t units[128];
	for (int i = 0; i < 128; i++)
		units[i] = static_cast<uint16_t>(0x80 + i);
	return units;
}

size_t
encoded_room(const uint16_t * /* units */, size_t count)
{
	return utf8_room(count);
}

size_t
encode_units(const uint16_t *units, size_t count, unsigned char *out, size_t /* room */,
	     misplaced_character * /* UTF-8 places every character as itself */,
	     void * /* context */)
{
	return encode_utf8(units, count, out);
}
#endif
