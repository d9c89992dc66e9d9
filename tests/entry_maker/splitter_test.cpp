#include "entry_splitter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace
{

// What a split handed over, and how it ended.
struct split_run {
	std::vector<std::string> entries; // "<not gathered>" for an entry without bytes
	std::vector<std::uint64_t> blank_lines;
	split_outcome outcome = split_outcome::ok;
	std::uint64_t refused_line = 0;
};

void
collect(void *context, const split_entry *entry)
{
	auto *run = static_cast<split_run *>(context);
	if (entry->blank)
		run->blank_lines.push_back(entry->line);
	else if (entry->bytes == nullptr)
		run->entries.push_back("<not gathered> " + std::to_string(entry->length));
	else
		run->entries.emplace_back(entry->bytes, entry->length);
}

// Splits input fed in pieces of chunk bytes, as the reading loop feeds it: the bytes left over
// lead the next piece, and an empty read ends the input.
split_run
split(const std::string &input, bool lines, std::size_t chunk, std::size_t kept_room = 1000)
{
	split_run run;
	std::string kept(kept_room, '\0');
	entry_splitter s = {};
	s.lines = lines;
	s.handler = collect;
	s.context = &run;
	s.kept = kept.data();
	s.kept_room = kept_room;
	split_start(&s);
	std::string pending;
	for (std::size_t fed = 0;;) {
		std::size_t take = std::min(chunk, input.size() - fed);
		pending += input.substr(fed, take);
		fed += take;
		auto result =
		    split_block(&s, reinterpret_cast<const unsigned char *>(pending.data()),
				pending.size(), take == 0);
		if (result.outcome != split_outcome::ok) {
			run.outcome = result.outcome;
			run.refused_line = result.line;
			break;
		}
		pending.erase(0, result.used);
		if (take == 0)
			break;
	}
	return run;
}

struct split_case {
	std::string input;
	bool lines;
	std::vector<std::string> entries;
	std::vector<std::uint64_t> blank_lines;
};

// Every case split whole and in small pieces, so that entries and "%" lines span blocks.
void
expect_splits(const split_case &c)
{
	for (std::size_t chunk :
	     {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{5}, c.input.size() + 1}) {
		split_run run = split(c.input, c.lines, chunk);
		EXPECT_EQ(split_outcome::ok, run.outcome) << c.input << ", pieces of " << chunk;
		EXPECT_EQ(c.entries, run.entries) << c.input << ", pieces of " << chunk;
		EXPECT_EQ(c.blank_lines, run.blank_lines) << c.input << ", pieces of " << chunk;
	}
}

} // namespace

TEST(entry_splitter, percent_lines_separate_entries)
{
	split_case cases[] = {
	    {"a\n%\nb\n", false, {"a", "b"}, {}},
	    // Fortune-style files begin and end with "%" lines.
	    {"%\na\n%\nb\n%\n", false, {"a", "b"}, {}},
	    {"a\r\n%\r\nb\r\n", false, {"a", "b"}, {}},
	    {"two\r\nlines\r\n%\nx", false, {"two\r\nlines", "x"}, {}},
	    // Only the one line end in front of the "%" line is left out.
	    {"a\n\n%\nb", false, {"a\n", "b"}, {}},
	    {"a\n%", false, {"a"}, {}},
	    {"a\n%\r", false, {"a\n%\r"}, {}},
	    {"a%\n%x\n %\n%%\n%\r\nb", false, {"a%\n%x\n %\n%%", "b"}, {}},
	    {"\t lead\n%\n", false, {"\t lead"}, {}},
	    {"\x80\xA0\xFF\n", false, {"\x80\xA0\xFF"}, {}},
	    {"a\r", false, {"a\r"}, {}},
	    {"a\rb\n", false, {"a\rb"}, {}},
	    {"", false, {}, {}},
	    {"%\n%\n", false, {}, {2}},
	    {"a\n%\n%\nb\n", false, {"a", "b"}, {3}},
	    {"a\n%\n \t\n%\nb", false, {"a", "b"}, {3}},
	    {"  \n%\nb", false, {"b"}, {1}},
	    {"a\n%\n\n", false, {"a"}, {3}},
	    {"a\n%\n\r\n%\nb\n%\n\v\f\n", false, {"a", "b"}, {3, 7}},
	};
	for (const auto &c : cases)
		expect_splits(c);
}

TEST(entry_splitter, every_line_with_lines_set)
{
	split_case cases[] = {
	    {"a\nb\r\n\n  \n c\n", true, {"a", "b", " c"}, {}},
	    {"%\nx", true, {"%", "x"}, {}},
	    {"last", true, {"last"}, {}},
	    {"a\r", true, {"a\r"}, {}},
	    {"\n\n\r\n\t\n", true, {}, {}},
	    {"", true, {}, {}},
	};
	for (const auto &c : cases)
		expect_splits(c);
}

TEST(entry_splitter, refused_bytes_stop_at_their_line)
{
	struct {
		std::string input;
		bool lines;
		split_outcome outcome;
		std::uint64_t line;
		std::vector<std::string> entries_before;
		std::vector<std::uint64_t> blank_lines_before;
	} cases[] = {
	    {"a\nb\0c"s, false, split_outcome::nul_byte, 2, {}, {}},
	    {"a\n%\nb\n\x1A", false, split_outcome::byte_1a, 4, {"a"}, {}},
	    {"  \n%\n\n\0"s, false, split_outcome::nul_byte, 4, {}, {1}},
	    {"a\x1A\0"s, false, split_outcome::byte_1a, 1, {}, {}},
	    {"ok\n\0\n"s, true, split_outcome::nul_byte, 2, {"ok"}, {}},
	    {"\n\n\x1A", true, split_outcome::byte_1a, 3, {}, {}},
	    {"%\0\n"s, false, split_outcome::nul_byte, 1, {}, {}},
	};
	for (const auto &c : cases)
		for (std::size_t chunk : {std::size_t{1}, std::size_t{3}, c.input.size() + 1}) {
			split_run run = split(c.input, c.lines, chunk);
			EXPECT_EQ(c.outcome, run.outcome) << c.input;
			EXPECT_EQ(c.line, run.refused_line) << c.input << ", pieces of " << chunk;
			EXPECT_EQ(c.entries_before, run.entries) << c.input;
			EXPECT_EQ(c.blank_lines_before, run.blank_lines) << c.input;
		}
}

// The second pass gathers entries in room for the longest: one that no longer fits is handed
// over without bytes but with its length, and a long blank one is still seen to be blank.
TEST(entry_splitter, entries_beyond_the_room_are_not_gathered)
{
	std::string input = "a\n%\n" + std::string(100, ' ') + "\n%\nlonger entry\n%\nbcd\r\n";
	split_run run = split(input, false, 3, 5);
	std::vector<std::string> entries = {"a", "<not gathered> 12", "bcd"};
	EXPECT_EQ(entries, run.entries);
	EXPECT_EQ(std::vector<std::uint64_t>{3}, run.blank_lines);
}
