#pragma once
// mirlmake -c: reports on the chances of the entries of an entry file.

#include <stdint.h>
#include <stdio.h>

#include "entry_check.h"

// An entry file being read, and its size as measured when it was opened.
struct checked_file {
	const char *path;
	int fd;
	int64_t size;
};

// Opens the entry file at path and measures it; ends the process on failure.
checked_file open_entry_file(const char *path);

// Checks the file from its start, handing each entry's bytes to taken and each entry to checked,
// where they are not null; ends the process on failure.
void check_pass(const checked_file *file, entry_bytes *taken, entry_checked *checked, void *context,
		check_summary *summary);

// Writes a line to to for each reason why entries can never be printed, with their count.
void report_unprintable(FILE *to, const check_summary *summary);

// Writes the report for the file at path, with a line per entry when verbose, and every seed's
// print counted when all_seeds; ends the process with the message and status of a failure, or
// when no entry can be printed.
void report_entry_file(const char *path, bool verbose, bool all_seeds);
