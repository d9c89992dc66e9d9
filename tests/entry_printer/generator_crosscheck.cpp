// Under Wine: the generator gives the same draws as the C runtime's rand() for the same seed.
#include <stdio.h>
#include <stdlib.h>

#include "generator.h"

int
main()
{
	const unsigned seeds[] = {0u, 1u, 12345u, 0x80000000u, 0xFFFFFFFFu};
	for (unsigned seed : seeds) {
		srand(seed);
		generator_seed(seed);
		for (int i = 0; i < 100000; i++) {
			int expected = rand(); // NOLINT(cert-msc30-c,cert-msc50-cpp): the one
					       // compared with
			int actual = generator_next();
			if (expected != actual) {
				printf("seed %u, draw %d: rand() %d, generator_next() %d\n", seed,
				       i, expected, actual);
				return 1;
			}
		}
	}
	return 0;
}
