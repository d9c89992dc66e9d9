/* Preloaded into mirl by its tests: pins what its seed is made of, each part while its variable
 * is set: the time in seconds (PINNED_TIME), the process id (PINNED_PID) and the monotonic
 * clock in nanoseconds (PINNED_CLOCK). Everything else goes to the C library. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

/* Whether the variable name is set, with its value in *value. */
static int
pinned(const char *name, unsigned long *value)
{
	const char *text = getenv(name);
	if (text == NULL)
		return 0;
	*value = strtoul(text, NULL, 10);
	return 1;
}

time_t
time(time_t *seconds)
{
	unsigned long value;
	if (!pinned("PINNED_TIME", &value)) {
		time_t (*next)(time_t *) = dlsym(RTLD_NEXT, "time");
		return next(seconds);
	}
	if (seconds != NULL)
		*seconds = (time_t)value;
	return (time_t)value;
}

pid_t
getpid(void)
{
	unsigned long value;
	if (!pinned("PINNED_PID", &value)) {
		pid_t (*next)(void) = dlsym(RTLD_NEXT, "getpid");
		return next();
	}
	return (pid_t)value;
}

int
clock_gettime(clockid_t clock, struct timespec *now)
{
	unsigned long value;
	if (!pinned("PINNED_CLOCK", &value)) {
		int (*next)(clockid_t, struct timespec *) = dlsym(RTLD_NEXT, "clock_gettime");
		return next(clock, now);
	}
	now->tv_sec = (time_t)(value / 1000000000);
	now->tv_nsec = (long)(value % 1000000000);
	return 0;
}
