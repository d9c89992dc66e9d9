// Rules of the launcher that need no Win32: the argument text, the own directory, the options,
// the command line and the platform family. Both builds compile them; only Windows runs them.
#ifndef LAUNCH_RULES_H
#define LAUNCH_RULES_H

#include <stddef.h>
#include <stdint.h>

// Module path and directory buffers hold a full Win32 path with its NUL.
enum { launcher_path_size = 260 };

// Whether a byte begins a double-byte character in the ANSI code page in use.
typedef int (*lead_byte_test)(unsigned char byte);

enum platform { platform_nt = 0, platform_95 = 1, platform_unsupported = -1 };

// What the options in front of the argument text ask for, and the text passed on.
struct launch_options {
	int raise;
	int wait;
	const char *rest;
};

int platform_family(uint32_t version);
const char *program_name(int family);
const char *argument_text(const char *command_line, lead_byte_test is_lead);
void own_directory(const char *module_path, char directory[launcher_path_size],
		   lead_byte_test is_lead);
struct launch_options read_options(const char *text);
size_t command_buffer_size(const char *directory, const char *arguments);
// Writes "%s%s %s", directory and program in double quotes when either holds a byte of 0x20 or
// below, into a buffer of command_buffer_size(directory, arguments) bytes; program must be at
// most launcher_path_size - 4 bytes, leaving room for the quotes, the blank and the NUL.
void compose_command_line(char *buffer, const char *directory, const char *program,
			  const char *arguments);

#endif
