#include "wide_division.h"

uint64_t
divide_wide(uint64_t dividend, uint64_t divisor, uint64_t *remainder)
{
	uint64_t quotient = 0, rest = 0;
	for (int bit = 63; bit >= 0; bit--) {
		rest = rest << 1 | (dividend >> bit & 1);
		if (rest >= divisor) {
			rest -= divisor;
			quotient |= UINT64_C(1) << bit;
		}
	}
	*remainder = rest;
	return quotient;
}
