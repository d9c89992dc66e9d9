#pragma once
// Files for the maker's tests: bytes written to a scratch directory, and entry files made from
// inputs by mirlmake's own passes.

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "make_file.h"

namespace maker_test
{

// A scratch directory, removed with everything in it.
struct scratch {
	std::string dir;

	scratch()
	{
		char name[] = "/tmp/entry_maker_test.XXXXXX";
		dir = mkdtemp(name);
	}
	~scratch()
	{
		std::string command = "rm -rf '" + dir + "'";
		std::system(command.c_str());
	}

	// Writes bytes to the file name in the directory; returns its path.
	std::string write(const std::string &name, const std::string &bytes) const
	{
		std::string path = dir + "/" + name;
		std::ofstream(path, std::ios::binary) << bytes;
		return path;
	}
};

inline std::string
read_file(const std::string &path)
{
	std::ifstream in(path, std::ios::binary);
	return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The entry file mirlmake makes from the inputs' bytes.
inline std::string
made_file(const std::vector<std::string> &inputs, bool weighted, bool lines = false)
{
	scratch s;
	std::vector<std::string> paths;
	for (std::size_t i = 0; i < inputs.size(); i++)
		paths.push_back(s.write("input" + std::to_string(i), inputs[i]));
	std::vector<char *> names;
	for (auto &path : paths)
		names.push_back(path.data());
	std::string output = s.dir + "/made.lines";
	make_options options = {lines, weighted, output.c_str(), names.data(),
				static_cast<int>(names.size())};
	make_entry_file(&options);
	return read_file(output);
}

// Entries of the given lengths, each different from the others, as "%"-separated text.
inline std::string
entries_of_lengths(const std::vector<std::size_t> &lengths)
{
	std::string text;
	for (std::size_t i = 0; i < lengths.size(); i++) {
		std::string label = std::to_string(i) + ":";
		std::string entry = (label + std::string(lengths[i], 'x')).substr(0, lengths[i]);
		text += entry + "\n%\n";
	}
	return text;
}

} // namespace maker_test
