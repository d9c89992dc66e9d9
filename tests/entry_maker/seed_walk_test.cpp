#include "seed_walk.h"

#include <gtest/gtest.h>

#include <vector>

#include "draw_rule.h"
#include "maker_files.h"
#include "reference_reader.h"
#include "system_file.h"

// Beyond 32768 positions, offset k's states begin at ceil(k * 2^32 / L), where the checker's
// boundary lies too: every offset gets floor(2^32 / L) states or one more. Of 2^31 - 1
// positions, both ends and every 4099th.
TEST(seed_walk, long_stretches_give_every_offset_its_share_of_states)
{
	for (std::int64_t length : {INT64_C(32769), INT64_C(1000000), INT64_C(2147483647)}) {
		draw_share share = share_of(length);
		auto first_state = [length](std::uint64_t k) {
			return ((k << 32) + static_cast<std::uint64_t>(length) - 1) / length;
		};
		std::uint64_t least = (UINT64_C(1) << 32) / length;
		auto l = static_cast<std::int32_t>(length);
		for (std::int64_t k = 1; k < length;
		     k += k < 10000 || k > length - 10000 || length < 1 << 20 ? 1 : 4099) {
			auto state = static_cast<std::uint32_t>(first_state(k));
			ASSERT_EQ(k, offset_of_state(state, l));
			ASSERT_EQ(k - 1, offset_of_state(state - 1, l));
			ASSERT_EQ(state, values_below(&share, k)) << length;
			std::uint64_t states = first_state(k + 1) - state;
			ASSERT_TRUE(states == least || states == least + 1) << length << " " << k;
		}
	}
}

// The walk gives every entry of the sample the seeds that printing from each of the 2^32 seeds,
// redraws included, gives it.
TEST(seed_walk, sample_shares_are_those_of_every_seed)
{
#ifdef __SANITIZE_ADDRESS__
	GTEST_SKIP() << "2^32 prints and a walk of 2^32 states take minutes under the sanitizers";
#endif
	std::string file = maker_test::read_file(SAMPLE_FILE);
	auto stretch = reference::drawable(file);
	std::vector<long> starts, by_value(32768);
	reference::entry_starts(file, &starts);
	for (std::size_t value = 0; value < by_value.size(); value++)
		by_value[value] = starts[stretch->base + value % stretch->length];
	// Seeds by the first byte of the entry they print.
	std::vector<std::uint64_t> printed(file.size()), expected, walked;
	std::uint32_t seed = 0;
	do {
		std::uint32_t state = seed;
		do
			state = state * 214013u + 2531011u;
		while (by_value[state >> 16 & 0x7FFF] < 0);
		printed[by_value[state >> 16 & 0x7FFF]]++;
	} while (++seed != 0);
	for (std::uint64_t seeds : printed)
		if (seeds > 0)
			expected.push_back(seeds);

	int fd = file_open(SAMPLE_FILE), size = static_cast<int>(file.size());
	check_summary summary;
	ASSERT_EQ(check_outcome::done, check_entries(fd, size, nullptr, nullptr, &summary));
	seed_walk walk;
	ASSERT_TRUE(start_walk(&walk, &summary) && file_seek(fd, 0));
	ASSERT_EQ(check_outcome::done, check_entries(fd, size, take_run, &walk, &summary));
	file_close(fd);
	walk_all_seeds(&walk);
	for (std::uint64_t n = 1; n <= summary.printable; n++)
		walked.push_back(walk.runs[n].seeds);
	EXPECT_EQ(expected, walked);
}
