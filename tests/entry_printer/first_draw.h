#pragma once
// Seeds that make the generator's first draw a chosen value, so that a test can go through
// every value of a draw.

#include <cstdint>

// A seed whose first draw is r.
inline std::uint32_t
seed_for_first_draw(std::uint32_t r)
{
	std::uint32_t inverse = 214013u;
	for (int i = 0; i < 5; i++)
		inverse *= 2u - 214013u * inverse;
	return ((r << 16) - 2531011u) * inverse;
}
