#pragma once
// Files for the maker's tests: bytes in a scratch directory, and entry files made from inputs
// by mirlmake's own passes.

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
		std::system(("rm -rf '" + dir + "'").c_str());
	}

	// Writes bytes to the file name in the directory; returns its path.
	std::string write(const std::string &name, const std::string &bytes) const
	{
		std::ofstream(dir + "/" + name, std::ios::binary) << bytes;
		return dir + "/" + name;
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
made_file(const std::vector<std::string> &inputs, layout_kind layout, bool lines = false)
{
	scratch s;
	std::vector<std::string> paths;
	std::vector<char *> names;
	for (const auto &input : inputs)
		paths.push_back(s.write("input" + std::to_string(paths.size()), input));
	for (auto &path : paths)
		names.push_back(path.data());
	std::string output = s.dir + "/made.lines";
	make_options options = {};
	options.lines = lines;
	options.layout = layout;
	options.output = output.c_str();
	options.inputs = names.data();
	options.input_count = static_cast<int>(names.size());
	make_entry_file(&options);
	return read_file(output);
}

// Entries of the given lengths, each different from the others.
inline std::vector<std::string>
entries_of_lengths(const std::vector<std::size_t> &lengths)
{
	std::vector<std::string> entries;
	for (std::size_t length : lengths)
		entries.push_back((std::to_string(entries.size()) + ":" + std::string(length, 'x'))
				      .substr(0, length));
	return entries;
}

// The entries as the text of an input, each followed by a "%" line.
inline std::string
percent_separated(const std::vector<std::string> &entries)
{
	std::string text;
	for (const auto &entry : entries)
		text += entry + "\n%\n";
	return text;
}

} // namespace maker_test
