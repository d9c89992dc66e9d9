/* Preloaded into mirl by its tests: pins what its seed is made of, the time in seconds
 * (PINNED_TIME) and the process id (PINNED_PID), which must be set, and the monotonic clock in
 * nanoseconds while PINNED_CLOCK is set. Everything else goes to the C library. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

time_t
time(time_t *seconds)
{
	time_t value = (time_t)strtoul(getenv("PINNED_TIME"), NULL, 10);
	if (seconds != NULL)
		*seconds = value;
	return value;
}

pid_t
getpid(void)
{
	return (pid_t)strtoul(getenv("PINNED_PID"), NULL, 10);
}

int
clock_gettime(clockid_t clock, struct timespec *now)
{
	const char *pinned = getenv("PINNED_CLOCK");
	if (pinned == NULL) {
		int (*next)(clockid_t, struct timespec *) = dlsym(RTLD_NEXT, "clock_gettime");
		return next(clock, now);
	}
	unsigned long value = strtoul(pinned, NULL, 10);
	now->tv_sec = (time_t)(value / 1000000000);
	now->tv_nsec = (long)(value % 1000000000);
	return 0;
}
