#include "draw.h"

#include <string.h>

#include "generator.h"
#include "wide_division.h"

int64_t
draw_offset()
{
	// One call reaches only 32768 positions; a longer stretch takes three, so that every
	// entry of a large file can be printed.
	uint64_t r = static_cast<uint64_t>(generator_next());
	if (draw_values(body_length) > 32768) {
		r = r * 32768 + static_cast<uint64_t>(generator_next());
		r = r * 32768 + static_cast<uint64_t>(generator_next());
	}
	uint64_t k;
	divide_wide(r, static_cast<uint64_t>(body_length), &k);
	return draw_base + static_cast<int64_t>(k);
}

// Stretches of offsets from which a scan was seen to meet the end of the file, first offset to
// last, inclusive; sorted, and apart from each other. A scan from o that met the end at p proves
// every offset in o..p dead: a scan from any of them meets the same bytes, or a tail of them.
struct dead_stretch {
	int64_t first;
	int64_t last;
};

// Enough for every failed draw of any run that is not hopeless (the forward pass ends those);
// a run with more merely reads some bytes twice.
enum { most_dead_stretches = 4096 };

struct dead_stretches {
	size_t count;
	dead_stretch items[most_dead_stretches];
};

// The index of the first stretch that begins after offset.
static size_t
first_after(const dead_stretches *dead, int64_t offset)
{
	size_t low = 0, high = dead->count;
	while (low < high) {
		size_t middle = low + (high - low) / 2;
		if (dead->items[middle].first <= offset)
			low = middle + 1;
		else
			high = middle;
	}
	return low;
}

// The last offset of the dead stretch holding offset, or -1.
static int64_t
dead_stretch_end(const dead_stretches *dead, int64_t offset)
{
	size_t after = first_after(dead, offset);
	if (after == 0 || offset > dead->items[after - 1].last)
		return -1;
	return dead->items[after - 1].last;
}

// Adds first..last, merged with the stretches it overlaps or touches. When the array is full,
// a stretch that merges with none is not kept.
static void
remember_dead(dead_stretches *dead, int64_t first, int64_t last)
{
	size_t end = first_after(dead, last + 1);
	size_t begin = end;
	while (begin > 0 && dead->items[begin - 1].last + 1 >= first)
		begin--;
	if (begin < end) {
		if (dead->items[begin].first < first)
			first = dead->items[begin].first;
		if (dead->items[end - 1].last > last)
			last = dead->items[end - 1].last;
	} else if (dead->count == most_dead_stretches) {
		return;
	}
	// The stretches begin..end-1 give way to the one at begin.
	memmove(&dead->items[begin + 1], &dead->items[end],
		(dead->count - end) * sizeof dead->items[0]);
	dead->count = dead->count - (end - begin) + 1;
	dead->items[begin] = {first, last};
}

// Seeks to offset and scans from there. A search for the separator that runs into a stretch
// known to be dead ends there, dead as well: from there on it would meet the same bytes in the
// same way. So no byte needs to be read twice however many draws fail.
static scan_result
scan_from(entry_stream *stream, int64_t offset, const dead_stretches *dead)
{
	if (!stream_seek(stream, offset))
		return {scan_outcome::seek_failed, 0, 0};
	size_t known = first_after(dead, offset);
	int64_t stop = known < dead->count ? dead->items[known].first : INT64_MAX;
	int c;
	while ((c = stream_get(stream)) > 0)
		if (stream_position(stream) >= stop)
			return {scan_outcome::dead, 0, dead->items[known].last};
	return entry_after_separator(stream, c);
}

// One forward pass over the drawable stretch: entry when some offset in it reaches an entry,
// dead when none does, or the failure met. Each scan starts just past where the last one met
// the end, so no byte is read twice; everything passed over is remembered as dead.
static scan_outcome
any_entry_reachable(entry_stream *stream, dead_stretches *dead)
{
	int64_t offset = draw_base;
	int64_t end = static_cast<int64_t>(draw_base) + body_length;
	scan_outcome outcome = scan_outcome::dead;
	while (offset < end) {
		int64_t known = dead_stretch_end(dead, offset);
		if (known >= 0) {
			offset = known + 1;
			continue;
		}
		scan_result result = scan_from(stream, offset, dead);
		if (result.outcome != scan_outcome::dead) {
			outcome = result.outcome;
			break;
		}
		offset = result.end + 1;
	}
	if (offset > draw_base)
		remember_dead(dead, draw_base, offset - 1);
	return outcome;
}

scan_result
draw_until_entry(entry_stream *stream)
{
	scan_result none = {scan_outcome::dead, 0, 0};
	if (body_length <= 0)
		return none;
	dead_stretches dead;
	dead.count = 0;
	bool verified = false;
	// After 2^32 draws the generator has gone through all its states and the draws repeat:
	// a run that has reached no entry by then never will.
	for (uint64_t draws = 0; draws < (UINT64_C(1) << 32); draws++) {
		int64_t offset = draw_offset();
		if (dead_stretch_end(&dead, offset) >= 0)
			continue;
		scan_result result = scan_from(stream, offset, &dead);
		if (result.outcome != scan_outcome::dead)
			return result;
		remember_dead(&dead, offset, result.end);
		// A first failed draw is the cue to check once whether redrawing can ever succeed.
		if (!verified) {
			verified = true;
			scan_outcome pass = any_entry_reachable(stream, &dead);
			if (pass == scan_outcome::dead)
				return none;
			if (pass != scan_outcome::entry)
				return {pass, 0, 0};
		}
	}
	return none;
}
