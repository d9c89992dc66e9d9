#include "layout.h"

#include <gtest/gtest.h>

#include <string>

TEST(layout, headers)
{
	struct {
		std::uint64_t entries;
		bool weighted;
		std::string text;
	} cases[] = {
	    {1, false, "mirl entries: 1, equal chances"},
	    {1073741823, false, "mirl entries: 1073741823, equal chances"},
	    {2, true, "mirl entries: 2, chances follow the length of the entry before"},
	};
	for (const auto &c : cases) {
		char header[header_room];
		EXPECT_EQ(c.text.size() + 1, header_text(header, c.entries, c.weighted));
		EXPECT_EQ(c.text, header);
	}
	// The first stored entry is behind a header of 40 bytes or fewer, and is never drawn.
	char header[header_room];
	EXPECT_EQ(40u, header_text(header, 1073741823, false));
}

// The expected tails come from counting all 32768 values over every tail length in turn: the
// first tail with which every entry is hit equally often.
TEST(layout, tails_even_out_the_draws)
{
	struct {
		std::uint64_t entries;
		std::uint64_t longest;
		std::uint64_t tail;
	} cases[] = {
	    {1, 1, 0},     {2, 2, 0},    {3, 10, 5},       {5, 3, 5},
	    {30, 30, 3},   {7, 100, 12}, {200, 150, 2417}, // only L = 32768 hits every offset once
	    {1000, 60, 0}, // over 32768 offsets: three values a draw
	};
	for (const auto &c : cases)
		EXPECT_EQ(c.tail, tail_length(c.entries, c.longest))
		    << c.entries << " entries of " << c.longest;
}

TEST(layout, sizes_up_to_the_limit)
{
	struct {
		entry_counts counts;
		bool weighted;
		std::uint64_t size;
	} cases[] = {
	    {{2, 2, 3}, false, 31 + 9},
	    {{2, 2, 3}, true, 63 + 5},
	    {{3, 10, 12}, false, 31 + 44 + 5},
	    {{1, 1073741807, 1073741807}, false, entry_file_limit - 1},
	    {{1, 1073741808, 1073741808}, false, entry_file_limit},
	    {{1, 2147483583, 2147483583}, true, entry_file_limit - 1},
	    {{1, 2147483584, 2147483584}, true, entry_file_limit},
	    {{1073741824, 1, 1073741824}, false, entry_file_limit},
	    {{UINT64_C(1) << 40, UINT64_C(1) << 40, UINT64_C(1) << 62}, false, entry_file_limit},
	    {{UINT64_C(1) << 40, UINT64_C(1) << 40, UINT64_C(1) << 62}, true, entry_file_limit},
	};
	for (const auto &c : cases)
		EXPECT_EQ(c.size, output_size(&c.counts, c.weighted))
		    << c.counts.entries << " entries, longest " << c.counts.longest;
}

// The second pass must see what the first counted, or the layout no longer fits the input.
TEST(entry_counts, second_pass_agrees_with_the_first)
{
	entry_counts first = {3, 10, 20};
	struct {
		entry_counts second;
		bool so_far;
		bool in_full;
	} cases[] = {
	    {{0, 0, 0}, true, false},    {{2, 10, 15}, true, false}, {{3, 10, 20}, true, true},
	    {{3, 9, 20}, true, true},    {{4, 5, 20}, false, false}, {{2, 11, 11}, false, false},
	    {{3, 10, 21}, false, false}, {{3, 10, 19}, true, false},
	};
	for (const auto &c : cases) {
		EXPECT_EQ(c.so_far, agrees_so_far(&first, &c.second)) << c.second.entries;
		EXPECT_EQ(c.in_full, agrees_in_full(&first, &c.second)) << c.second.entries;
	}
}
