#include "generator.h"

static uint32_t generator_state = 1;

void
generator_seed(uint32_t seed)
{
	generator_state = seed;
}

int
generator_next()
{
	generator_state = generator_state * 214013u + 2531011u;
	return static_cast<int>((generator_state >> 16) & 0x7FFF);
}
