#include "entry_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <unistd.h>

#include "draw.h"
#include "first_draw.h"
#include "generator.h"
#include "print_entry.h"
#include "reference_reader.h"
#include "seed.h"

using namespace std::string_literals;

namespace
{

class entry_file_test : public testing::Test
{
      protected:
	void TearDown() override
	{
		if (!path_.empty())
			std::remove(path_.c_str());
	}

	// Writes bytes to a fresh file and opens it.
	void open(const std::string &bytes)
	{
		if (!path_.empty())
			std::remove(path_.c_str());
		char name[] = "/tmp/entry_file_test.XXXXXX";
		int fd = mkstemp(name);
		ASSERT_GE(fd, 0);
		ASSERT_EQ(static_cast<ssize_t>(bytes.size()),
			  write(fd, bytes.data(), bytes.size()));
		close(fd);
		path_ = name;
		ASSERT_TRUE(stream_open(&stream_, path_.c_str()));
	}

	// What the program prints for bytes when seeded with seed.
	std::string printed(const std::string &bytes, std::uint32_t seed)
	{
		open(bytes);
		generator_seed(seed);
		scan_header(&stream_);
		testing::internal::CaptureStdout();
		print_random_entry(&stream_);
		stream_close(&stream_);
		return testing::internal::GetCapturedStdout();
	}

	std::string path_;
	entry_stream stream_;
};

// n entries "entry 000 xxx...", "entry 001 xxx...", each of the given length.
std::string
numbered_entries(int n, int length)
{
	std::string body;
	for (int i = 0; i < n; i++) {
		char label[24];
		std::snprintf(label, sizeof label, "entry %03d ", i);
		body += label + std::string(length - 10, 'x') + '\0';
	}
	return body;
}

// Numbered entries, each the only live offset before a dead stretch of 16 KiB: a separator, the
// number and a 0x1A, then blanks up to a 0x1A.
std::string
dead_stretches(int count)
{
	std::string file = "h\0"s;
	for (int i = 0; i < count; i++) {
		char number[16];
		std::snprintf(number, sizeof number, "%05d", i);
		file += '\0' + std::string(number) + '\x1A' + std::string(16384 - 8, ' ') + '\x1A';
	}
	return file;
}

} // namespace

TEST_F(entry_file_test, header_end_fixes_the_drawable_stretch)
{
	struct {
		std::string file;
		std::int32_t draw_base;
		std::int32_t body_length;
	} cases[] = {
	    {std::string(39, 'h') + '\0' + "abc", 40, 3},
	    {std::string(40, 'h') + '\0' + "abc", 1, 43},
	    {"a\r\nb\0xy"s, 5, 2},
	    {"\r\n\r\n\0"s, 5, 0},
	    {"\0"s, 1, 0},
	    {std::string(100, 'h') + '\0', 61, 40},
	};
	for (const auto &c : cases) {
		open(c.file);
		scan_header(&stream_);
		stream_close(&stream_);
		EXPECT_EQ(c.draw_base, draw_base) << c.file.size() << " bytes";
		EXPECT_EQ(c.body_length, body_length) << c.file.size() << " bytes";
	}
}

// Files whose only reachable entry follows "x": the seed does not matter.
TEST_F(entry_file_test, reading_rules)
{
	struct {
		std::string entry;
		std::string output;
	} cases[] = {
	    {"a\r\nb", "a\nb\n"},
	    {"a\rb", "a\rb\n"},
	    {"a\r", "a\r\n"},
	    {"a\x1A"
	     "b",
	     "a\n"},
	    {"  \t\n\v\f\r lead", "lead\n"},
	    {"trail \n", "trail \n\n"},
	    {"\x80\xA0\xFF", "\x80\xA0\xFF\n"},
	    {"\r\n\r\nx\r\n", "x\n\n"},
	    {"   \0"s, "\n"},
	    {"\0"s, "\n"},
	};
	for (const auto &c : cases)
		for (std::uint32_t seed : {1u, 2u, 3u})
			EXPECT_EQ(c.output, printed("h\0x\0"s + c.entry, seed)) << c.entry;
}

TEST_F(entry_file_test, hopeless_files_end_with_a_message)
{
	struct {
		std::string file;
		int status;
		const char *message;
	} cases[] = {
	    {"", 2, "File contains no separators.\n"},
	    {"no separator", 2, "File contains no separators.\n"},
	    {"head\x1A\0x\0y"s, 2, "File contains no separators.\n"},
	    {"h\0"s, 2, "File contains no entries.\n"},
	    {std::string(40, 'h') + '\0', 2, "File contains no entries.\n"},
	    {"h\0one entry behind a short header"s, 2, "File contains no entries.\n"},
	    {std::string(50, 'h') + '\0' + " \r\n\t", 2, "File contains no entries.\n"},
	    {"h\0x\0  \x1A never"s, 2, "File contains no entries.\n"},
	    {"h\0x\0\x1A\0\x1A\0\x1A"s, 2, "File contains no entries.\n"},
	};
	for (const auto &c : cases)
		EXPECT_EXIT(printed(c.file, 7), testing::ExitedWithCode(c.status), c.message)
		    << c.file.size() << " bytes";
}

// Large files with no entry mirl can print end with the message, not a draw without end (the
// test run's timeout catches one).
TEST_F(entry_file_test, hopeless_large_files_end_after_one_pass)
{
	std::string files[] = {
	    "h\0"s + std::string(64 << 20, ' '),
	    "h\0x\0"s + std::string(4 << 20, '\x1A'),
	};
	for (const auto &file : files)
		EXPECT_EXIT(printed(file, 3), testing::ExitedWithCode(2),
			    "File contains no entries.");
}

// Few offsets reach an entry, in a file whole or cut short after the header scan, behind a long
// run of 0x1A or among thousands of dead stretches of one length: one print reads the header's
// block, the entry's, and at most twice the file's blocks and two more.
TEST_F(entry_file_test, failed_draws_read_at_most_twice_the_file)
{
	std::string one_entry = std::string(40, 'h') + "\0\x1A\0x\0"s;
	std::string after_1a = one_entry + std::string(1 << 20, '\x1A');
	std::string cut = one_entry + std::string(6 << 20, 'y');
	std::string long_run = "h\0"s + std::string(64 << 20, '\x1A') + "\0the one entry"s;
	std::string stretches = dead_stretches(5000);
	struct {
		const std::string &file;
		std::size_t cut_to; // 0: not cut
		std::uint32_t seed;
		std::string output;
	} cases[] = {
	    {after_1a, 0, 7, "x\n"},
	    {cut, one_entry.size(), 7, "x\n"},
	    {long_run, 0, 7, "the one entry\n"},
	    {stretches, 0, 2, "02107\n"},
	    {stretches, 0, 17, "00574\n"},
	    {stretches, 0, 34, "04525\n"},
	};
	for (const auto &c : cases) {
		open(c.file);
		generator_seed(c.seed);
		scan_header(&stream_);
		if (c.cut_to != 0) {
			ASSERT_EQ(0, truncate(path_.c_str(), static_cast<off_t>(c.cut_to)));
		}
		testing::internal::CaptureStdout();
		print_random_entry(&stream_);
		stream_close(&stream_);
		EXPECT_EQ(c.output, testing::internal::GetCapturedStdout());
		EXPECT_LE(stream_.reads, 2 + 2 * (c.file.size() / sizeof stream_.block + 2))
		    << c.file.size() << " bytes, seed " << c.seed;
	}
}

// The remembered dead stretches and the forward pass only save work: every seed prints what
// the plain redraw loop prints.
TEST_F(entry_file_test, prints_what_plain_redrawing_prints)
{
	std::string files[] = {
	    "a header that is longer than forty bytes, so...\0one\0two\r\nlines\0 three \0\0four"s,
	    "h\0x\0y\0"s + std::string(3000, ' '),
	    "h\0a\x1A\0b\0\x1A\0c \x1A d\0  \x1A"s,
	    "h\r\n\0\r\n\r\nx\r\0\r\r\n y"s,
	    "h\0"s + std::string(20000, '\x1A') + "\0x"s,
	    std::string(60, 'h') + '\0' + numbered_entries(100, 500),
	    dead_stretches(5),
	};
	for (const auto &file : files)
		for (std::uint32_t seed = 0; seed < 60; seed++) {
			auto expected = reference::print(file, seed, 10000000);
			ASSERT_TRUE(expected.has_value()) << file.size() << " bytes, seed " << seed;
			EXPECT_EQ(*expected, printed(file, seed)) << "seed " << seed;
		}
}

TEST_F(entry_file_test, entries_beyond_the_first_32_kilobytes_are_printed)
{
	std::string file = std::string(60, 'h') + '\0' + numbered_entries(100, 500);
	int last = 0;
	for (std::uint32_t seed = 0; seed < 200; seed++)
		last = std::max(last, std::atoi(printed(file, scatter_seed(seed)).c_str() + 6));
	EXPECT_GT(last, 32768 / 500 + 1);
}

// Seed 1 draws 41: offset 8 + 41 lies in "one", so the entry after it is printed.
TEST_F(entry_file_test, pinned_seeds_print_pinned_entries)
{
	std::string file =
	    "a header that is longer than forty bytes, so...\0one\0two\r\nlines\0 three \0\0four"s;
	struct {
		std::uint32_t seed;
		std::string output;
	} cases[] = {
	    {1, "two\nlines\n"},
	    {2, "three \n"},
	    {42, "one\n"},
	    {1000, "two\nlines\n"},
	};
	for (const auto &c : cases)
		EXPECT_EQ(c.output, printed(file, c.seed)) << "seed " << c.seed;
}

TEST_F(entry_file_test, same_seed_same_entry)
{
	std::string file = "h\0one\0two\0three\0four\0five"s;
	for (std::uint32_t seed : {0u, 99u, 123456789u})
		EXPECT_EQ(printed(file, seed), printed(file, seed));
}

// Every value of the first draw, counted by the entry it leads to.
TEST_F(entry_file_test, first_draw_selects_by_the_length_of_the_entry_before)
{
	struct {
		std::string file;
		std::map<std::string, int> counts; // "" counts the draws that are drawn again
	} cases[] = {
	    // 8 positions, 4096 draws each: "bb" from 2, "ccc" from 3, 3 redrawn.
	    {"h\0a\0bb\0ccc"s, {{"bb", 8192}, {"ccc", 12288}, {"", 12288}}},
	    // h = 45: the header's last 40 positions lead to the first entry; 43 positions,
	    // the first two drawn 763 times, the others 762.
	    {std::string(44, 'h') + '\0' + "x\0y"s, {{"x", 30482}, {"y", 1524}, {"", 762}}},
	    // 20000 positions: those below 12768 are drawn twice.
	    {"h\0"s + std::string(12000, 'a') + '\0' + std::string(7000, 'b') + '\0' +
		 std::string(998, 'c'),
	     {{std::string(7000, 'b'), 24002}, {std::string(998, 'c'), 7768}, {"", 998}}},
	};
	for (const auto &c : cases) {
		open(c.file);
		scan_header(&stream_);
		std::map<std::string, int> counts;
		for (std::uint32_t r = 0; r < 32768; r++) {
			generator_seed(seed_for_first_draw(r));
			ASSERT_TRUE(stream_seek(&stream_, draw_offset()));
			scan_result result = scan_to_entry(&stream_);
			std::string text;
			if (result.outcome == scan_outcome::entry) {
				entry_text entry;
				ASSERT_EQ(read_outcome::complete,
					  read_entry(&stream_, result.first_byte, &entry));
				text = entry.bytes;
				std::free(entry.bytes);
			}
			counts[text]++;
		}
		stream_close(&stream_);
		EXPECT_EQ(c.counts, counts) << c.file.size() << " bytes";
	}
}

TEST_F(entry_file_test, entry_block_doubles_when_full)
{
	struct {
		std::size_t length;
		std::size_t capacity;
	} cases[] = {{1, 80}, {78, 80}, {79, 160}, {158, 160}, {159, 320}, {1 << 20, 80 << 14}};
	for (const auto &c : cases) {
		open("h\0"s + std::string(c.length, 'e') + '\0' + "next");
		ASSERT_TRUE(stream_seek(&stream_, 2));
		entry_text entry;
		ASSERT_EQ(read_outcome::complete,
			  read_entry(&stream_, stream_get(&stream_), &entry));
		EXPECT_EQ(c.length, entry.length);
		EXPECT_EQ(c.capacity, entry.capacity) << c.length;
		EXPECT_EQ(std::string(c.length, 'e'), entry.bytes);
		std::free(entry.bytes);
		stream_close(&stream_);
	}
}

TEST_F(entry_file_test, empty_entry_reads_nothing_of_the_next)
{
	open("h\0\0next"s);
	ASSERT_TRUE(stream_seek(&stream_, 2));
	entry_text entry;
	ASSERT_EQ(read_outcome::complete, read_entry(&stream_, stream_get(&stream_), &entry));
	EXPECT_EQ(0u, entry.length);
	EXPECT_EQ(3, stream_position(&stream_));
	std::free(entry.bytes);
	stream_close(&stream_);
}
