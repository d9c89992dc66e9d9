#include "launch_rules.h"

#include <stdio.h>
#include <string.h>

// The 95 family sets bits 31 and 30 of the version word, NT clears bit 31; bit 31 alone is
// Win32s on Windows 3.1, which cannot run the main application.
int
platform_family(uint32_t version)
{
	if ((version & 0x80000000u) == 0)
		return platform_nt;
	if ((version & 0x40000000u) != 0)
		return platform_95;
	return platform_unsupported;
}

// Each family has its own build of the main application.
const char *
program_name(int family)
{
	return family == platform_95 ? "nolt.exe" : "noltnt.exe";
}

// Skips the launcher's own name and the blanks and control bytes after it. A quoted name ends
// at its closing quote only; a lead byte carries its trail byte so that a trail byte equal to
// '"' does not end it, but never past the NUL.
const char *
argument_text(const char *command_line, lead_byte_test is_lead)
{
	const unsigned char *p = reinterpret_cast<const unsigned char *>(command_line);

	if (*p == '"') {
		p++;
		while (*p != '\0' && *p != '"') {
			if (is_lead(*p) && p[1] != '\0')
				p++;
			p++;
		}
		if (*p == '"')
			p++;
	} else {
		while (*p > ' ')
			p++;
	}
	while (*p != '\0' && *p <= ' ')
		p++;
	return (const char *)p;
}

// Writes the drive and the directory of a module path, up to and including its last '\' or
// '/'. Lead bytes carry their trail bytes, so a trail byte equal to '\' is no separator. A
// directory over 255 bytes keeps 255, or 254 when the 255th begins a double-byte character;
// that is decided at the scan position, so a trail byte is never taken for a lead byte.
void
own_directory(const char *module_path, char directory[launcher_path_size], lead_byte_test is_lead)
{
	enum { longest_directory = 255 };
	const unsigned char *start = reinterpret_cast<const unsigned char *>(module_path);
	size_t drive_length = 0;

	if (start[0] != '\0' && start[1] == ':')
		drive_length = 2;
	start += drive_length;

	size_t directory_length = 0;
	int lead_at_cut = 0;
	for (const unsigned char *p = start; *p != '\0'; p++) {
		if (p - start == longest_directory - 1 && is_lead(*p))
			lead_at_cut = 1;
		if (is_lead(*p) && p[1] != '\0')
			p++;
		else if (*p == '\\' || *p == '/')
			directory_length = (size_t)(p - start) + 1;
	}
	if (directory_length > longest_directory)
		directory_length = lead_at_cut ? longest_directory - 1 : longest_directory;

	memcpy(directory, module_path, drive_length);
	memcpy(directory + drive_length, start, directory_length);
	directory[drive_length + directory_length] = '\0';
}

// "-raise" and then "-wait" are recognised by their bytes alone, with no blanks skipped, so
// "-raisex" is the option and "-raise -wait" leaves " -wait" to pass on. The raise is only a
// request: when no main application runs, the text after "-raise" is used.
struct launch_options
read_options(const char *text)
{
	struct launch_options options = {0, 0, text};

	if (strncmp(options.rest, "-raise", 6) == 0) {
		options.raise = 1;
		options.rest += 6;
	}
	if (strncmp(options.rest, "-wait", 5) == 0) {
		options.wait = 1;
		options.rest += 5;
	}
	return options;
}

// Room for the directory, the arguments and a program name with its quotes, blank and NUL, in
// whole 4-byte words as the stack is kept.
size_t
command_buffer_size(const char *directory, const char *arguments)
{
	return (strlen(directory) + strlen(arguments) + launcher_path_size + 3) & ~(size_t)3;
}

// Whether text holds a byte that ends an unquoted program name.
static int
ends_unquoted_name(const char *text)
{
	const unsigned char *p = reinterpret_cast<const unsigned char *>(text);
	while (*p > ' ')
		p++;
	return *p != '\0';
}

// The main application takes what follows its name as its argument text. Unquoted, its name
// would end at the first blank of a directory such as C:\Program Files\, and the rest of its
// path would become its first arguments. So such a path goes in double quotes; any other goes
// in byte for byte.
void
compose_command_line(char *buffer, const char *directory, const char *program,
		     const char *arguments)
{
	const char *quote =
	    ends_unquoted_name(directory) || ends_unquoted_name(program) ? "\"" : "";
	sprintf(buffer, "%s%s%s%s %s", quote, directory, program, quote, arguments);
}
