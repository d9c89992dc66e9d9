#include "error_report.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

void
report_error(const char *prefix)
{
	const char *description = std::strerror(errno);
	if (*prefix != '\0')
		std::fprintf(stderr, "%s: %s\n", prefix, description);
	else
		std::fprintf(stderr, "%s\n", description);
}

void
fail_with_error(const char *prefix, int status)
{
	report_error(prefix);
	std::exit(status);
}

void
fail_with_message(const char *message, int status)
{
	std::fputs(message, stderr);
	std::exit(status);
}
