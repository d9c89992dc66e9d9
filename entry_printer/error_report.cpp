#include "error_report.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

void
report_error(const char *prefix)
{
	const char *description = strerror(errno);
	if (*prefix != '\0')
		fprintf(stderr, "%s: %s\n", prefix, description);
	else
		fprintf(stderr, "%s\n", description);
}

void
fail_with_error(const char *prefix, int status)
{
	report_error(prefix);
	exit(status);
}

void
fail_with_message(const char *message, int status)
{
	fputs(message, stderr);
	exit(status);
}

void
fail_with_fault(const char *name, const char *fault, int status)
{
	fprintf(stderr, "%s: %s\n", name, fault);
	exit(status);
}
