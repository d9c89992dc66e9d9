#include "make_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "counted_weights.h"
#include "draw.h"
#include "entry_file.h"
#include "extract_text.h"
#include "first_draw.h"
#include "generator.h"
#include "maker_files.h"

using maker_test::entries_of_lengths;
using maker_test::made_file;
using maker_test::percent_separated;

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

// The entries printed by the values of the first draw, from mirl's own generator, and by how
// many each.
std::map<std::string, int>
first_draw_counts(reader &file)
{
	std::map<std::string, int> counts;
	for (std::uint32_t r = 0; r < 32768; r++) {
		generator_seed(seed_for_first_draw(r));
		if (auto text = file.printed_from(draw_offset()))
			counts[*text]++;
	}
	return counts;
}

} // namespace

// The first draw's values reach every offset of these files: each prints an input entry or is
// drawn again, every entry is printed, and in the equal-chance layouts, markers and all, each by
// as many values as any other, whatever the count and lengths; by default in two draws a print
// at most, one entry and two that fill half the draw's range among them.
TEST(made_file, first_draws_print_every_entry_with_equal_chances)
{
	struct {
		std::vector<std::string> inputs;
		bool lines;
		std::vector<std::string> entries; // as stored
	} cases[] = {
	    {{"%\n  lead\n%\nsecond\r\nwith CR LF\r\n%\n\ttab\n", "x\n%\n\x80\xFF\n"},
	     false,
	     {"\xC2\xA0 lead", "second\r\nwith CR LF", "\xC2\xA0\ttab", "x", "\x80\xFF"}},
	    {{"a\nbb\n\n ccc\r\n", "dddd"}, true, {"a", "bb", "\u00A0ccc", "dddd"}},
	    {{}, false, entries_of_lengths({1})},
	    {{}, false, entries_of_lengths({1, 10, 4})},
	    {{}, false, entries_of_lengths({100, 7, 30, 99, 1, 64, 2, 5, 3, 8, 6, 4})},
	    {{}, false, entries_of_lengths({300, 5, 6, 7, 900, 5, 6, 7, 5, 6, 7, 5, 6, 7, 5, 600})},
	    {{}, false, entries_of_lengths(std::vector<std::size_t>(200, 150))},
	    {{}, false, entries_of_lengths({8})},
	    {{}, false, entries_of_lengths({8000, 8000})},
	};
	// Inputs not given are the entries, "%"-separated.
	for (auto &c : cases)
		if (c.inputs.empty())
			c.inputs = {percent_separated(c.entries)};
	int with_markers = 0;
	for (const auto &c : cases)
		for (auto layout :
		     {layout_kind::equal, layout_kind::padded, layout_kind::weighted}) {
			std::string made = made_file(c.inputs, layout, c.lines);
			with_markers += made.find('\x1A') != std::string::npos;
			reader file(made);
			ASSERT_LE(body_length, 32768);
			auto counts = first_draw_counts(file);
			int printing = 0;
			for (const auto &entry : counts)
				printing += entry.second;
			EXPECT_TRUE(layout != layout_kind::equal || 2 * printing >= 32768)
			    << printing << " of the draw's values print";
			std::set<std::string> expected, printed;
			for (const auto &entry : c.entries)
				expected.insert(as_printed(entry));
			for (const auto &[text, count] : counts) {
				printed.insert(text);
				EXPECT_TRUE(layout == layout_kind::weighted ||
					    count == counts.begin()->second)
				    << text << ": " << count;
			}
			EXPECT_EQ(expected, printed) << c.entries[0] << static_cast<int>(layout);
		}
	EXPECT_GE(with_markers, 2);
}

// Over 32768 offsets a draw scales the generator's state and there is no tail: by the count of
// states that fall on each offset, chances are equal within one part in 10000, markers and all.
TEST(made_file, long_stretch_chances_are_equal_within_a_ten_thousandth)
{
	std::vector<std::size_t> lengths;
	for (std::size_t i = 0; i < 3000; i++)
		lengths.push_back(i % 100 == 0 ? 400 + i : 20 + i * 7919 % 50);
	std::string made =
	    made_file({percent_separated(entries_of_lengths(lengths))}, layout_kind::equal);
	ASSERT_GT(made.size(), 40 + 32768);
	ASSERT_NE(std::string::npos, made.find('\x1A'));
	auto weights = counted_weights(made);
	ASSERT_EQ(3000u, weights.size());
	auto [lowest, highest] =
	    std::minmax_element(weights.begin(), weights.end(),
				[](const auto &a, const auto &b) { return a.second < b.second; });
	EXPECT_LE(static_cast<double>(highest->second) / static_cast<double>(lowest->second),
		  1.0001);
}

// Entries longer than the 64 KiB that the second pass holds go through in pieces, however they
// begin, in every layout: read decoded, they make the same file as kept, a long blank entry is
// dropped, and -x gives the text back.
TEST(made_file, long_entries_go_through_in_pieces)
{
	std::string text;
	std::size_t grow = 0;
	for (const char *lead : {"", " ", "  ", "\t", " \t", "\f", "\u00A0", "\u00A0\n"}) {
		std::string body = lead;
		while (body.size() < 70000 + grow)
			body += "caf\u00E9 \u20AC\n";
		text += body + "end\n%\n";
		grow += 9001;
	}
	std::string blank = std::string(70000, '\n') + " \n%\n";
	for (auto layout : {layout_kind::equal, layout_kind::padded, layout_kind::weighted}) {
		std::string made = made_file({text}, layout);
		EXPECT_EQ(made, made_file({"\xEF\xBB\xBF" + text}, layout));
		EXPECT_EQ(made, made_file({blank + text}, layout));
		maker_test::scratch dir;
		std::string back = dir.dir + "/back.txt";
		extract_text(dir.write("made.lines", made).c_str(), back.c_str());
		EXPECT_EQ(text, maker_test::read_file(back)) << static_cast<int>(layout);
	}
}

// A text with CR LF line ends makes the file of its twin with LF, in every layout: each CR LF is
// folded, also where a block of 64 KiB ends between its CR and LF, and in decoded text.
TEST(made_file, crlf_text_makes_the_file_of_its_lf_twin)
{
	const std::string block_end(65535, 'x');
	for (const std::string &lf_text :
	     {std::string("one\ntwo\n%\n\n  indented\nnext\n% \t\nlast\n"),
	      block_end + "\nafter\n%\nb",
	      "\xEF\xBB\xBF" + block_end.substr(3) + "\nafter\n%\n\u00E9\nb\n"}) {
		std::string crlf_text;
		for (char byte : lf_text)
			crlf_text += byte == '\n' ? std::string("\r\n") : std::string(1, byte);
		for (auto layout : {layout_kind::equal, layout_kind::padded, layout_kind::weighted})
			EXPECT_EQ(made_file({lf_text}, layout), made_file({crlf_text}, layout))
			    << lf_text.substr(0, 20) << " " << static_cast<int>(layout);
	}
}
