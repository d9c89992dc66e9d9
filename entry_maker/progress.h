#pragma once
// Progress of long work on standard error, when that is a console: the share done and the time
// left, on one line rewritten at most four times a second and cleared at the end. Nothing shows
// in the first second, nor when standard error is redirected, where it would only be noise. The
// line is short and leaves the cursor at its start, so that a message written meanwhile covers
// it.

#include <stdint.h>

struct progress {
	bool on; // standard error is a console
	bool shown;
	uint64_t total;
	uint32_t started; // milliseconds_now() at the start
	uint32_t last;    // and when the line was last written
};

// Starts measuring work of total units.
void progress_start(progress *p, uint64_t total);

// Shows that done units of the total are done, when it is time to.
void progress_at(progress *p, uint64_t done);

// Clears the line, if one was shown.
void progress_end(progress *p);
