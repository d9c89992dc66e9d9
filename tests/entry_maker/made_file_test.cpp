#include "make_file.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "draw.h"
#include "entry_check.h"
#include "entry_file.h"
#include "first_draw.h"
#include "generator.h"
#include "maker_files.h"
#include "system_file.h"

using namespace std::string_literals;
using maker_test::made_file;

namespace
{

// An entry as mirl prints it: without its leading whitespace, each CR LF read as LF.
std::string
as_printed(const std::string &entry)
{
	std::size_t start = entry.find_first_not_of(" \t\n\v\f\r");
	std::string text = start == std::string::npos ? "" : entry.substr(start);
	for (std::size_t crlf; (crlf = text.find("\r\n")) != std::string::npos;)
		text.erase(crlf, 1);
	return text;
}

// mirl's reader over an entry file's bytes, past its header.
struct reader {
	maker_test::scratch dir;
	std::string path;
	entry_stream stream;

	explicit reader(const std::string &bytes) : path(dir.write("entries", bytes))
	{
		EXPECT_TRUE(stream_open(&stream, path.c_str()));
		EXPECT_EQ(header_outcome::found, find_drawable_stretch(&stream));
	}
	~reader()
	{
		stream_close(&stream);
	}

	// What mirl prints for a draw at offset, or nothing when the draw is dead.
	std::optional<std::string> printed_from(std::int64_t offset)
	{
		EXPECT_TRUE(stream_seek(&stream, offset));
		scan_result result = scan_to_entry(&stream);
		if (result.outcome != scan_outcome::entry)
			return std::nullopt;
		entry_text text;
		EXPECT_EQ(read_outcome::complete, read_entry(&stream, result.first_byte, &text));
		std::string printed = text.bytes;
		free(text.bytes);
		return printed;
	}
};

struct made_case {
	std::vector<std::string> inputs;
	bool lines;
	std::vector<std::string> entries;
};

const made_case made_cases[] = {
    {{"one\n%\ntwo\n%\nthree\n"}, false, {"one", "two", "three"}},
    {{"%\n  lead\n%\nsecond\r\nwith CR LF\r\n%\n\ttab\n", "x\n%\n\x80\xFF\n"},
     false,
     {"  lead", "second\r\nwith CR LF", "\ttab", "x", "\x80\xFF"}},
    {{"a\nbb\n\n ccc\r\n", "dddd"}, true, {"a", "bb", " ccc", "dddd"}},
    {{maker_test::entries_of_lengths({3, 60, 7, 200, 1, 45})},
     false,
     {"0:x", "1:" + std::string(58, 'x'), "2:xxxxx", "3:" + std::string(198, 'x'), "4",
      "5:" + std::string(43, 'x')}},
};

} // namespace

// From every drawable offset mirl prints an input entry or draws again, in both layouts, and
// every entry is printed from some offset.
TEST(made_file, every_entry_printed_is_an_input_entry)
{
	for (const auto &c : made_cases)
		for (bool weighted : {false, true}) {
			reader file(made_file(c.inputs, weighted, c.lines));
			std::set<std::string> expected, printed;
			for (const auto &entry : c.entries)
				expected.insert(as_printed(entry));
			for (std::int64_t k = 0; k < body_length; k++) {
				auto text = file.printed_from(draw_base + k);
				if (text)
					printed.insert(*text);
			}
			EXPECT_EQ(expected, printed) << c.entries[0] << (weighted ? ", -w" : "");
		}
}

// Every value of the first draw, from mirl's own generator: each entry is printed by as many
// values as any other, whatever the count and lengths, dead draws aside.
TEST(made_file, first_draws_fall_equally_on_the_entries)
{
	std::vector<std::vector<std::size_t>> lengths_cases = {
	    {1},
	    {5, 5},
	    {1, 10, 4},                 // a tail of 5
	    {3, 2, 1, 3, 1},            // a tail of 5
	    {100, 7, 30, 99, 1, 64, 2}, // a tail of 12
	    std::vector<std::size_t>(200, 150),
	};
	for (const auto &lengths : lengths_cases) {
		reader file(made_file({maker_test::entries_of_lengths(lengths)}, false));
		ASSERT_LE(body_length, 32768);
		std::map<std::string, int> counts;
		int dead = 0;
		for (std::uint32_t r = 0; r < 32768; r++) {
			generator_seed(seed_for_first_draw(r));
			auto text = file.printed_from(draw_offset());
			if (text)
				counts[*text]++;
			else
				dead++;
		}
		ASSERT_EQ(lengths.size(), counts.size());
		int each = (32768 - dead) / static_cast<int>(lengths.size());
		for (const auto &[text, count] : counts)
			EXPECT_EQ(each, count) << lengths.size() << " entries: " << text;
	}
}

// Over 32768 offsets a draw takes three values and there is no tail: chances are equal within
// one part in 16384.
TEST(made_file, long_stretch_chances_are_equal_within_a_ten_thousandth)
{
	std::vector<std::size_t> lengths;
	for (std::size_t i = 0; i < 3000; i++)
		lengths.push_back(20 + i * 7919 % 50);
	maker_test::scratch dir;
	std::string path =
	    dir.write("made", made_file({maker_test::entries_of_lengths(lengths)}, false));
	int fd = file_open(path.c_str());
	ASSERT_GE(fd, 0);
	std::int64_t size = file_seek_end(fd);
	ASSERT_GT(size, 40 + 32768);
	ASSERT_TRUE(file_seek(fd, 0));
	check_summary summary;
	ASSERT_EQ(check_outcome::done, check_entries(fd, size, nullptr, nullptr, &summary));
	file_close(fd);
	EXPECT_EQ(3000u, summary.printable);
	EXPECT_LE(static_cast<double>(summary.highest_weight) /
		      static_cast<double>(summary.lowest_weight),
		  1.0001);
}
