#pragma once
// Division of 64-bit numbers by shifting and subtracting. On the 386 the compiler would call
// libgcc's division for it, which brings more than a kilobyte of code and unwind tables into
// each program; a draw divides once, and mirlmake a few times per file, so speed does not
// matter.

#include <stdint.h>

// The quotient of dividend by divisor, which is below 2^63 and not 0; the rest in *remainder.
uint64_t divide_wide(uint64_t dividend, uint64_t divisor, uint64_t *remainder);
