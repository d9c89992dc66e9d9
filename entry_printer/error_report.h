#pragma once

// Writes the prefix and ": " (when the prefix is not empty), the description of the current
// error number and a line end to standard error.
void report_error(const char *prefix);

// Ends the process with status after the error report for prefix.
[[noreturn]] void fail_with_error(const char *prefix, int status);

// Ends the process with status after writing message to standard error.
[[noreturn]] void fail_with_message(const char *message, int status);

// Ends the process with status after name, ": ", fault and a line end on standard error.
[[noreturn]] void fail_with_fault(const char *name, const char *fault, int status);
