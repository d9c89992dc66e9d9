#pragma once
// mirlmake -c: reports on the chances of the entries of an entry file.

// Writes the report for the file at path, with a line per entry when verbose; ends the process
// with the message and status of a failure, or when no entry can be printed.
void report_entry_file(const char *path, bool verbose);
