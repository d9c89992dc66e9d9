#pragma once

#include <stdint.h>

// The linear congruential generator of the C runtime the program was first built with:
// a seed always leads to the same draws, so a seed names the entry it prints.

// The state after one step. Its period is 2^32: a walk from any state meets every state once.
constexpr uint32_t
generator_step(uint32_t state)
{
	return state * 214013u + 2531011u;
}

// The step is affine, and so are steps in a row: n steps take x to x * leap_factor(n) +
// leap_term(n), so that states some steps apart are found at once, without waiting on each
// multiplication in between.
constexpr uint32_t
leap_factor(int steps)
{
	return steps == 0 ? 1u : 214013u * leap_factor(steps - 1);
}

constexpr uint32_t
leap_term(int steps)
{
	return steps == 0 ? 0u : generator_step(leap_term(steps - 1));
}

// The value in 0..32767 that the C runtime returns for the state after a step.
inline int
generator_value(uint32_t state)
{
	return static_cast<int>((state >> 16) & 0x7FFF);
}

void generator_seed(uint32_t seed);

// Advances the state and returns it whole.
uint32_t generator_advance();

// Advances the state and returns a value in 0..32767.
int generator_next();
