#include "layout.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

// The layout of entries of the given lengths.
layout
plan_of(layout_kind kind, const std::vector<std::uint64_t> &lengths)
{
	static std::uint32_t counted[counted_lengths];
	std::fill(std::begin(counted), std::end(counted), 0);
	entry_counts all = {};
	for (std::uint64_t length : lengths) {
		count_entry(&all, length);
		if (length < counted_lengths)
			counted[length]++;
	}
	return plan_layout(kind, &all, counted);
}

} // namespace

// Headers of 31 and 63 bytes for one or two entries; -p pads every entry to the longest, as
// files were made before markers.
TEST(layout, sizes_up_to_the_limit)
{
	const std::uint64_t huge = UINT64_C(1) << 40;
	struct {
		entry_counts counts;
		layout_kind kind;
		std::uint64_t size;
	} cases[] = {
	    {{2, 2, 3, 0}, layout_kind::padded, 31 + 9},
	    {{2, 2, 3, 0}, layout_kind::weighted, 63 + 5},
	    {{3, 10, 12, 0}, layout_kind::padded, 31 + 44 + 5},
	    {{1, 1073741807, 1073741807, 0}, layout_kind::padded, entry_file_limit - 1},
	    {{1, 1073741808, 1073741808, 0}, layout_kind::padded, entry_file_limit},
	    {{1, 2147483583, 2147483583, 0}, layout_kind::weighted, entry_file_limit - 1},
	    {{1, 2147483584, 2147483584, 0}, layout_kind::weighted, entry_file_limit},
	    {{1073741824, 1, 1073741824, 0}, layout_kind::padded, entry_file_limit},
	    {{huge, huge, huge, 0}, layout_kind::equal, entry_file_limit},
	};
	static const std::uint32_t no_lengths[counted_lengths] = {};
	for (const auto &c : cases)
		EXPECT_EQ(c.size, plan_layout(c.kind, &c.counts, no_lengths).size)
		    << c.counts.longest;
}

// The tail is the shortest that makes the first draw's 32768 values fall alike on the offsets
// of n entries padded to m bytes: their count q or q+1, the larger below 32768 mod L.
TEST(layout, shortest_tail_for_equal_chances)
{
	for (std::uint64_t n = 1; n < 300; n += 7)
		for (std::uint64_t m = 1; (n + 1) * (m + 1) <= 32768; m = m * 3 + 1) {
			layout plan =
			    plan_of(layout_kind::padded, std::vector<std::uint64_t>(n, m));
			std::uint64_t body = (n + 1) * (m + 1), live = n * (m + 1), tail = 0;
			while (32768 % (body + tail) != 0 && 32768 % (body + tail) < live)
				tail++;
			EXPECT_EQ(tail, plan.tail) << n << " entries of " << m;
		}
}

// Two rare long entries get markers instead of everyone's padding to them: the default file
// stays close to the text, while -p pads to the longest.
TEST(layout, markers_after_the_rare_long_entries)
{
	std::vector<std::uint64_t> lengths(2000, 60);
	lengths[7] = lengths[900] = 5000;
	layout equal = plan_of(layout_kind::equal, lengths);
	EXPECT_TRUE(pieces_of(&equal, 5000).marker);
	EXPECT_FALSE(pieces_of(&equal, 60).marker);
	EXPECT_LT(equal.size, 2 * (2000 * 61 + 2 * 5000));
	EXPECT_EQ(5000u, plan_of(layout_kind::padded, lengths).lead);
}
