#include "generator.h"

static uint32_t generator_state = 1;

void
generator_seed(uint32_t seed)
{
	generator_state = seed;
}

uint32_t
generator_advance()
{
	generator_state = generator_step(generator_state);
	return generator_state;
}

int
generator_next()
{
	return generator_value(generator_advance());
}
