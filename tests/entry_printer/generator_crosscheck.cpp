// Under Wine: the generator gives the same draws as msvcrt's rand() for the same seed.
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "generator.h"

int
main()
{
	for (unsigned seed : {0u, 1u, 12345u, 0x80000000u, 0xFFFFFFFFu}) {
		std::srand(seed);
		generator_seed(seed);
		for (int i = 0; i < 100000; i++) {
			int expected = std::rand(); // NOLINT(cert-msc30-c,cert-msc50-cpp): the one
						    // compared with
			int actual = generator_next();
			if (expected != actual) {
				std::printf("seed %u, draw %d: rand() %d, generator_next() %d\n",
					    seed, i, expected, actual);
				return 1;
			}
		}
	}
	return 0;
}
