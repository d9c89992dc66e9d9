#include "path_choice.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const char data_variable[] = "VEMOLDATA";
static const char default_directory[] = "C:\\vemol\\data";
static const char file_name[] = "mirl.lines";

static char
lower_ascii(char c)
{
	return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The value of entry when its name is name; compared exactly or without regard to case.
static const char *
value_if_named(const char *entry, const char *name, bool exact)
{
	for (; *name != '\0'; entry++, name++)
		if (exact ? *entry != *name : lower_ascii(*entry) != lower_ascii(*name))
			return nullptr;
	return *entry == '=' ? entry + 1 : nullptr;
}

// The first entry named name, compared exactly or without regard to case.
static const char *
find_named(char **environment, const char *name, bool exact)
{
	for (char **entry = environment; *entry != nullptr; entry++)
		if (const char *value = value_if_named(*entry, name, exact))
			return value;
	return nullptr;
}

const char *
find_variable(char **environment, const char *name)
{
	const char *value = find_named(environment, name, true);
	return value != nullptr ? value : find_named(environment, name, false);
}

// A copy of text in a new heap block, or null.
static char *
copy_of(const char *text)
{
	size_t size = strlen(text) + 1;
	char *copy = static_cast<char *>(malloc(size));
	if (copy != nullptr)
		memcpy(copy, text, size);
	return copy;
}

char *
choose_path(int argc, char **argv, char **environment)
{
	if (argc >= 3 && strcmp(argv[1], "-f") == 0)
		return copy_of(argv[2]);
	const char *directory = find_variable(environment, data_variable);
	if (directory == nullptr)
		directory = default_directory;
	size_t length = strlen(directory);
	// cmd users quote a folder with blanks (set VEMOLDATA="D:\my data"); a Windows path
	// cannot hold a double quote, so the quotes are no part of it.
	if (length >= 2 && directory[0] == '"' && directory[length - 1] == '"') {
		directory++;
		length -= 2;
	}
	// Sized for the joined text, so sprintf cannot write past the block.
	char *path = static_cast<char *>(malloc(length + sizeof "/" + strlen(file_name)));
	if (path != nullptr)
		sprintf(path, "%.*s/%s", static_cast<int>(length), directory, file_name);
	return path;
}
