#include "progress.h"

#include <stdio.h>

#include "system_calls.h"

enum { quiet_first = 1000, between_lines = 250 };

void
progress_start(progress *p, uint64_t total)
{
	p->on = is_console(2);
	p->shown = false;
	p->total = total;
	p->started = milliseconds_now();
	p->last = p->started;
}

// The time left, at the pace so far: elapsed * (total - done) / done.
void
progress_at(progress *p, uint64_t done)
{
	if (!p->on || done == 0 || done > p->total)
		return;
	uint32_t now = milliseconds_now();
	uint32_t elapsed = now - p->started;
	if (elapsed < quiet_first || now - p->last < between_lines)
		return;
	p->last = now;
	p->shown = true;
	double share = static_cast<double>(done) / static_cast<double>(p->total);
	auto left = static_cast<unsigned long>(elapsed / 1000.0 * (1 - share) / share);
	fprintf(stderr, "%3u%%, %lu:%02lu left\r", static_cast<unsigned>(share * 100), left / 60,
		left % 60);
}

void
progress_end(progress *p)
{
	if (p->shown)
		fprintf(stderr, "%20s\r", "");
	p->shown = false;
}
