#include "dead_map.h"

#include <gtest/gtest.h>

// A map past its room keeps the longer of each two neighbouring stretches: never none of them,
// and at least half the offsets it knew dead. Stretches of one and two offsets by turns, one
// apart, fill it and one more arrives.
TEST(dead_map, full_map_keeps_the_longer_half)
{
	dead_map map;
	dead_map_start(&map);
	std::int64_t first = 0;
	const int added = (1 << 20) + 1;
	for (int i = 0; i < added; i++) {
		std::int64_t length = 1 + i % 2;
		remember_dead(&map, first, first + length - 1);
		first += length + 1;
	}
	ASSERT_EQ(std::size_t{(1 << 19) + 1}, map.count);
	for (std::size_t i = 0; i + 1 < map.count; i++) {
		EXPECT_EQ(1, map.items[i].last - map.items[i].first) << i;
		EXPECT_LT(map.items[i].last + 1, map.items[i + 1].first) << i;
	}
	EXPECT_EQ(first - 2, map.items[map.count - 1].last);
	dead_map_free(&map);
}
