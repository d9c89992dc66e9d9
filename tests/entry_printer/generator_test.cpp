#include "generator.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "seed.h"

// The first draws for seeds whose sequences the C runtime's rand() is known to give.
TEST(generator, known_sequences)
{
	struct {
		std::uint32_t seed;
		std::vector<int> draws;
	} cases[] = {
	    {1, {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464}},
	    {0, {38, 7719, 21238, 2437, 8855, 11797, 8365, 32285, 10450, 30612}},
	};
	for (const auto &c : cases) {
		generator_seed(c.seed);
		std::vector<int> draws;
		for (std::size_t i = 0; i < c.draws.size(); i++)
			draws.push_back(generator_next());
		EXPECT_EQ(c.draws, draws) << "seed " << c.seed;
	}
}

TEST(generator, stays_in_fifteen_bits)
{
	generator_seed(0xFFFFFFFFu);
	for (int i = 0; i < 100000; i++) {
		int r = generator_next();
		ASSERT_GE(r, 0);
		ASSERT_LE(r, 32767);
	}
}

// Successive seeds, as runs one after another take, over a 2,700-byte stretch: fewer than 15%
// of the pairs of first draws may land within 2700 / 37 bytes of each other.
TEST(generator, scattered_successive_seeds_draw_far_apart)
{
	int near_pairs = 0, previous = 0;
	for (std::uint32_t i = 0; i <= 1000; i++) {
		generator_seed(scatter_seed(1733000000u + i));
		int offset = generator_next() % 2700;
		near_pairs += i > 0 && std::abs(offset - previous) <= 2700 / 37;
		previous = offset;
	}
	EXPECT_LT(near_pairs, 150);
}

// Runs in one second, ids and clocks at the edges, with the pair a plain sum confuses: an id one
// higher and a clock one behind. Different ids never share a seed, whatever the clocks read;
// one id does not with clocks that differ modulo 1024.
TEST(seed, runs_in_one_second_never_share_a_seed)
{
	struct run {
		std::uint32_t id, clock;
	};
	std::vector<run> runs;
	for (std::uint32_t id : {0u, 1u, 4242u, 4243u, 1u << 21, (1u << 22) - 1})
		for (std::uint32_t clock : {0u, 1u, 1023u, 1024u, 4999u, 5000u, 0xFFFFFFFFu})
			runs.push_back({id, clock});
	for (std::uint32_t second : {0u, 1000000000u, 0xFFFFFFFFu})
		for (const run &a : runs)
			for (const run &b : runs)
				if (a.id != b.id || a.clock % 1024 != b.clock % 1024) {
					EXPECT_NE(run_seed(second, a.id, a.clock),
						  run_seed(second, b.id, b.clock))
					    << second << ": " << a.id << " " << a.clock << " / "
					    << b.id << " " << b.clock;
				}
}
