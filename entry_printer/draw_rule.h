#pragma once
// The rule that turns the generator's state after a step into an offset of the drawable stretch.
// Inline, so that mirlmake, which weighs draws, needs nothing else of the draw.

#include <stdint.h>

#include "generator.h"

// How many equally likely values one draw takes its offset from: the generator's 32768 results
// for a stretch of up to 32768 positions, its 2^32 states for a longer one.
inline uint64_t
draw_values(int32_t length)
{
	return length > 32768 ? UINT64_C(1) << 32 : 32768;
}

// The relative offset that a draw over a stretch of length positions takes from the generator's
// state after its step. Up to 32768 positions it is the C runtime's value modulo the length. A
// longer stretch scales the whole state: the step is a bijection, so over all states every
// offset gets the same number of them or one more, and the product needs no 64-bit division.
inline uint32_t
offset_of_state(uint32_t state, int32_t length)
{
	uint32_t positions = static_cast<uint32_t>(length);
	if (length <= 32768)
		return static_cast<uint32_t>(generator_value(state)) % positions;
	return static_cast<uint32_t>(static_cast<uint64_t>(state) * positions >> 32);
}
