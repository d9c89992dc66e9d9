#include "layout.h"

#include <gtest/gtest.h>

// No lengths counted: the layouts with padding to the longest, or none, need none.
static const std::uint32_t no_lengths[counted_lengths] = {};

// Headers of 31 and 63 bytes for one or two entries; padded to the longest, or weighted.
TEST(layout, sizes_up_to_the_limit)
{
	const std::uint64_t huge = UINT64_C(1) << 40;
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
	    {{huge, huge, huge}, true, entry_file_limit},
	};
	for (const auto &c : cases)
		EXPECT_EQ(c.size,
			  plan_layout(c.weighted ? layout_kind::weighted : layout_kind::padded,
				      &c.counts, no_lengths)
			      .size)
		    << c.counts.longest;
}

// The tail is the shortest that makes the first draw's 32768 values fall alike on the offsets
// of n entries padded to m bytes: q or q+1 of them, the larger below 32768 mod L.
TEST(layout, shortest_tail_for_equal_chances)
{
	for (std::uint64_t n = 1; n < 300; n += 7)
		for (std::uint64_t m = 1; (n + 1) * (m + 1) <= 32768; m = m * 3 + 1) {
			entry_counts counts = {n, m, n * m};
			std::uint64_t body = (n + 1) * (m + 1), live = n * (m + 1), tail = 0;
			while (n > 1 && 32768 % (body + tail) != 0 && 32768 % (body + tail) < live)
				tail++;
			EXPECT_EQ(tail, plan_layout(layout_kind::padded, &counts, no_lengths).tail)
			    << n;
		}
}

// The second pass must see what the first counted, or the layout no longer fits the input.
TEST(entry_counts, second_pass_agrees_with_the_first)
{
	entry_counts first = {3, 10, 20};
	struct {
		entry_counts second;
		bool so_far, in_full;
	} cases[] = {
	    {{2, 10, 15}, true, false}, {{3, 10, 20}, true, true},   {{3, 9, 20}, true, true},
	    {{4, 5, 20}, false, false}, {{2, 11, 11}, false, false}, {{3, 10, 21}, false, false},
	    {{3, 10, 19}, true, false},
	};
	for (const auto &c : cases) {
		EXPECT_EQ(c.so_far, agrees_so_far(&first, &c.second)) << c.second.entries;
		EXPECT_EQ(c.in_full, agrees_in_full(&first, &c.second)) << c.second.entries;
	}
}
