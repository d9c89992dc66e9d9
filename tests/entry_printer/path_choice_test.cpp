#include "path_choice.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace
{

std::string
chosen(std::vector<std::string> arguments, std::vector<std::string> variables)
{
	std::vector<char *> argv, environment;
	arguments.insert(arguments.begin(), "mirl");
	for (auto &a : arguments)
		argv.push_back(&a[0]);
	argv.push_back(nullptr);
	for (auto &v : variables)
		environment.push_back(&v[0]);
	environment.push_back(nullptr);
	char *path =
	    choose_path(static_cast<int>(arguments.size()), argv.data(), environment.data());
	std::string chosen = path;
	std::free(path);
	return chosen;
}

} // namespace

TEST(choose_path, table)
{
	std::string long_name(600, 'n');
	struct {
		std::vector<std::string> arguments;
		std::vector<std::string> variables;
		std::string path;
	} cases[] = {
	    {{}, {}, "C:\\vemol\\data/mirl.lines"},
	    {{}, {"PATH=/bin"}, "C:\\vemol\\data/mirl.lines"},
	    {{}, {"VEMOLDATA=D:\\lib"}, "D:\\lib/mirl.lines"},
	    {{}, {"VEMOLDATA="}, "/mirl.lines"},
	    {{}, {"VEMOLDATA=\"D:\\a b\""}, "D:\\a b/mirl.lines"},
	    {{}, {"VemolData=E:\\x"}, "E:\\x/mirl.lines"},
	    {{}, {"vemoldata=low", "VEMOLDATA=exact"}, "exact/mirl.lines"},
	    {{}, {"VEMOLDATAX=no", "VEMOLDAT=no"}, "C:\\vemol\\data/mirl.lines"},
	    {{"-f"}, {}, "C:\\vemol\\data/mirl.lines"},
	    {{"-x", "y"}, {}, "C:\\vemol\\data/mirl.lines"},
	    {{"-F", "y"}, {}, "C:\\vemol\\data/mirl.lines"},
	    {{"-fnotes.txt"}, {}, "C:\\vemol\\data/mirl.lines"},
	    {{"-f", "notes.txt", "extra"}, {"VEMOLDATA=D:\\lib"}, "notes.txt"},
	    {{"-f", ""}, {}, ""},
	    {{"-f", long_name}, {}, long_name},
	    {{}, {"VEMOLDATA=" + long_name}, long_name + "/mirl.lines"},
	};
	for (const auto &c : cases)
		EXPECT_EQ(c.path, chosen(c.arguments, c.variables))
		    << "arguments " << c.arguments.size() << ", first variable "
		    << (c.variables.empty() ? "" : c.variables[0]);
}
