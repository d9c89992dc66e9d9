// Rules of the launcher that need no Win32: the argument text, the own directory, the options,
// the command line and the platform family. Both builds compile them; only Windows runs them.
// The text rules are templates over the character: char for the ANSI text of the 95 family,
// wchar_t for the Unicode text of the NT family.
#ifndef LAUNCH_RULES_H
#define LAUNCH_RULES_H

#include <stddef.h>
#include <stdint.h>

// Module path and directory buffers hold a full Win32 path with its NUL, in characters.
enum { launcher_path_size = 260 };

// Whether a byte begins a double-byte character in the ANSI code page in use. Wide text needs
// no such test and ignores it: no half of a UTF-16 surrogate pair equals '"', '\' or '/'.
typedef int (*lead_byte_test)(unsigned char byte);

enum platform { platform_nt = 0, platform_95 = 1, platform_unsupported = -1 };

// What the options in front of the argument text ask for, and the text passed on.
template <typename character> struct launch_options {
	int raise;
	int wait;
	const character *rest;
};

int platform_family(uint32_t version);
const char *program_name(int family);

// A character's code, bytes taken as unsigned, so that 0x80 and above are never blanks and a
// wide character is never read as its low byte.
inline uint32_t
character_code(char c)
{
	return (unsigned char)c;
}

inline uint32_t
character_code(wchar_t c)
{
	return (uint32_t)c;
}

// Whether a character carries the next one with it: a lead byte its trail byte.
inline int
begins_pair(char c, lead_byte_test is_lead)
{
	return is_lead((unsigned char)c);
}

inline int
begins_pair(wchar_t /* c */, lead_byte_test /* is_lead */)
{
	return 0;
}

// Skips the launcher's own name and the blanks and control characters after it. A quoted
// name ends at its closing quote only; a lead byte carries its trail byte so that a trail byte
// equal to '"' does not end it, but never past the NUL.
template <typename character>
const character *
argument_text(const character *command_line, lead_byte_test is_lead)
{
	const character *p = command_line;

	if (*p == '"') {
		p++;
		while (*p != '\0' && *p != '"') {
			if (begins_pair(*p, is_lead) && p[1] != '\0')
				p++;
			p++;
		}
		if (*p == '"')
			p++;
	} else {
		while (character_code(*p) > ' ')
			p++;
	}
	while (*p != '\0' && character_code(*p) <= ' ')
		p++;
	return p;
}

// Writes the drive and the directory of a module path, up to and including its last '\' or
// '/'. Lead bytes carry their trail bytes, so a trail byte equal to '\' is no separator.
template <typename character>
void
own_directory(const character *module_path, character directory[launcher_path_size],
	      lead_byte_test is_lead)
{
	const character *start = module_path;
	if (start[0] != '\0' && start[1] == ':')
		start += 2;

	const character *end = start;
	for (const character *p = start; *p != '\0'; p++) {
		if (begins_pair(*p, is_lead) && p[1] != '\0')
			p++;
		else if (*p == '\\' || *p == '/')
			end = p + 1;
	}

	character *out = directory;
	for (const character *p = module_path; p < end; p++)
		*out++ = *p;
	*out = '\0';
}

// Takes option off the front of text when it is there, compared character for character.
template <typename character>
int
take_option(const character **text, const char *option)
{
	const character *p = *text;
	for (; *option != '\0'; p++, option++)
		if (character_code(*p) != (unsigned char)*option)
			return 0;
	*text = p;
	return 1;
}

// "-raise" and then "-wait" are recognised by their characters alone, with no blanks skipped,
// so "-raisex" is the option and "-raise -wait" leaves " -wait" to pass on. The raise is only
// a request: when no main application runs, the text after "-raise" is used.
template <typename character>
struct launch_options<character>
read_options(const character *text) {
	struct launch_options<character> options = {
		0, 0, text
	};

	options.raise = take_option(&options.rest, "-raise");
	options.wait = take_option(&options.rest, "-wait");
	return options;
}

template <typename character>
size_t
text_length(const character *text)
{
	size_t length = 0;
	while (text[length] != '\0')
		length++;
	return length;
}

// Copies text without its NUL to out, a character for each of its bytes (the program's name
// is ASCII), and returns the end.
template <typename character, typename source>
character *
append_text(character *out, const source *text)
{
	while (*text != '\0')
		*out++ = (character)character_code(*text++);
	return out;
}

// Appends the program's name to the directory in path; returns 0, leaving path as it was, when
// they do not fit. The test comes first: length + name < launcher_path_size, so the NUL, written
// at index length + name, stays inside path.
template <typename character>
int
join_program(character path[launcher_path_size], const char *program)
{
	size_t length = text_length(path);
	if (length + text_length(program) >= launcher_path_size)
		return 0;
	*append_text(path + length, program) = '\0';
	return 1;
}

// Room for the path with its quotes, a blank, the arguments and the NUL, in whole 4-character
// units as the stack is kept.
template <typename character>
size_t
command_buffer_size(const character *path, const character *arguments)
{
	return (text_length(path) + text_length(arguments) + 4 + 3) & ~(size_t)3;
}

// Whether text holds a character that ends an unquoted program name.
template <typename character>
int
ends_unquoted_name(const character *text)
{
	while (character_code(*text) > ' ')
		text++;
	return *text != '\0';
}

// The main application takes what follows its name as its argument text. Unquoted, its name
// would end at the first blank of a directory such as C:\Program Files\, and the rest of its
// path would become its first arguments. So such a path goes in double quotes; any other goes
// in as it is. Writes path, a blank and the arguments into a buffer of
// command_buffer_size(path, arguments) characters.
template <typename character>
void
compose_command_line(character *buffer, const character *path, const character *arguments)
{
	const char *quote = ends_unquoted_name(path) ? "\"" : "";
	character *out = append_text(append_text(append_text(buffer, quote), path), quote);
	*out++ = ' ';
	*append_text(out, arguments) = '\0';
}

#endif
