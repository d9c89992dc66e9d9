#pragma once

#include <stdint.h>

// Runs one after another take seeds a few units apart (the same second, process ids a few
// apart), and the generator's first draw moves by only about 3.3 per unit of seed: unmixed,
// they would print the same or the next entry. MurmurHash3's finalizer (fmix32) sends
// neighbouring seeds far apart, and as a bijection it keeps distinct seeds distinct.
inline uint32_t
scatter_seed(uint32_t seed)
{
	seed ^= seed >> 16;
	seed *= 0x85ebca6bu;
	seed ^= seed >> 13;
	seed *= 0xc2b2ae35u;
	seed ^= seed >> 16;
	return seed;
}
