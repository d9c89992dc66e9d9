#include "path_choice.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

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

const char *
find_variable(char **environment, const char *name)
{
	for (bool exact : {true, false})
		for (char **entry = environment; *entry != nullptr; entry++)
			if (const char *value = value_if_named(*entry, name, exact))
				return value;
	return nullptr;
}

std::string
choose_path(int argc, char **argv, char **environment)
{
	if (argc >= 3 && std::strcmp(argv[1], "-f") == 0)
		return argv[2];
	const char *directory = find_variable(environment, data_variable);
	if (directory == nullptr)
		directory = default_directory;
	std::string path(std::strlen(directory) + 1 + std::strlen(file_name), '\0');
	std::snprintf(path.data(), path.size() + 1, "%s/%s", directory, file_name);
	return path;
}
