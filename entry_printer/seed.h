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

// A run's seed from the time in seconds, the process id and the finest clock. Ids come back and
// runs in a loop share their second, so the clock sets apart the runs that share both; added
// whole, a clock one tick behind would cancel an id one higher. Promise: in one second, runs
// whose ids differ and lie below 2^22 (Linux's limit; Windows NT's ids in practice) never share
// a seed, whatever the clocks read. Proof: the clock, taken modulo 1024, moves bits 22 to 31
// only, so the two sums differ by the ids' difference modulo 2^22, which is not 0, and
// scatter_seed keeps distinct sums distinct. Runs that share second and id differ when their
// clocks differ modulo 1024.
inline uint32_t
run_seed(uint32_t seconds, uint32_t process_id, uint32_t clock)
{
	return scatter_seed(seconds + process_id + ((clock % 1024u) << 22));
}
