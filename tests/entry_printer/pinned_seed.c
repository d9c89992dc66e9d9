/* Preloaded into mirl by its tests: pins the time and the process id that its seed adds up,
 * and the milliseconds as well when PINNED_CLOCK is set. Everything else goes to the C
 * library. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

time_t
time(time_t *seconds)
{
	return seconds != NULL ? (*seconds = 1000000000) : 1000000000;
}

pid_t
getpid(void)
{
	return 4242;
}

int
clock_gettime(clockid_t clock, struct timespec *now)
{
	if (getenv("PINNED_CLOCK") != NULL) {
		now->tv_sec = 5000;
		now->tv_nsec = 0;
		return 0;
	}
	int (*next)(clockid_t, struct timespec *) = dlsym(RTLD_NEXT, "clock_gettime");
	return next(clock, now);
}
