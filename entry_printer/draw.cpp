#include "draw.h"

#include <string.h>

int64_t
draw_offset()
{
	return draw_base + offset_of_state(generator_advance(), body_length);
}

// Stretches of offsets from which a scan was seen to meet the end of the file, first offset to
// last, inclusive; sorted, and apart from each other. A scan from o that met the end at p proves
// every offset in o..p dead: a scan from any of them meets the same bytes, or a tail of them.
struct dead_stretch {
	int64_t first;
	int64_t last;
};

// Enough for every failed draw of a run that is not hopeless, and for the whole map of a file
// whose entries a draw rarely reaches (few entries, few stretches in between).
enum { most_dead_stretches = 4096 };

struct dead_stretches {
	size_t count;
	int64_t shortest_kept; // once the table was full, shorter stretches are not kept
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

static int64_t
length_of(const dead_stretch *stretch)
{
	return stretch->last - stretch->first + 1;
}

// Makes room in the full table: the stretches shorter than twice the shortest give way, and
// so does every later one shorter than that. The length kept at least doubles each time, so
// this happens at most 32 times a run; the long stretches, whose scans read most, stay.
static void
drop_short_stretches(dead_stretches *dead)
{
	int64_t shortest = INT64_MAX;
	for (size_t i = 0; i < dead->count; i++)
		if (length_of(&dead->items[i]) < shortest)
			shortest = length_of(&dead->items[i]);
	dead->shortest_kept = 2 * shortest;
	size_t kept = 0;
	for (size_t i = 0; i < dead->count; i++)
		if (length_of(&dead->items[i]) >= dead->shortest_kept)
			dead->items[kept++] = dead->items[i];
	dead->count = kept;
}

// Adds first..last, merged with the stretches it overlaps or touches. A stretch that merges
// with none is kept unless it is shorter than the table keeps.
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
	} else {
		if (dead->count == most_dead_stretches)
			drop_short_stretches(dead);
		if (last - first + 1 < dead->shortest_kept)
			return;
		begin = end = first_after(dead, last + 1);
	}
	// The stretches begin..end-1 give way to the one at begin.
	memmove(&dead->items[begin + 1], &dead->items[end],
		(dead->count - end) * sizeof dead->items[0]);
	dead->count = dead->count - (end - begin) + 1;
	dead->items[begin] = {first, last};
}

// Seeks to offset and scans from there. A search for the separator that runs into a stretch
// known to be dead ends there, dead as well: from there on it would meet the same bytes in the
// same way. A scan that meets the end of the file proves the rest of the stretch dead too, as
// in a file cut short since its size was taken.
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
	scan_result result = entry_after_separator(stream, c);
	if (result.outcome == scan_outcome::dead && stream_at_file_end(stream))
		result.end = static_cast<int64_t>(draw_base) + body_length - 1;
	return result;
}

// One forward pass over the drawable stretch that remembers every dead stretch it passes:
// entry when some offset in it reaches an entry, dead when none does, or the failure met. Each
// scan starts just past where the last one met the end or its separator, so no byte is read
// twice but the blanks after a separator. Unless whole, it ends at the first offset that
// reaches an entry.
static scan_outcome
map_stretch(entry_stream *stream, dead_stretches *dead, bool whole)
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
		if (result.outcome == scan_outcome::dead) {
			remember_dead(dead, offset, result.end);
		} else {
			outcome = result.outcome;
			if (!whole || outcome != scan_outcome::entry)
				break;
		}
		offset = result.end + 1;
	}
	return outcome;
}

// The reads of one block that a run may spend on failed draws before it maps the stretch.
static bool
reads_exceed_stretch(uint64_t reads)
{
	return reads * sizeof(entry_stream::block) >= static_cast<uint64_t>(body_length);
}

scan_result
draw_until_entry(entry_stream *stream)
{
	scan_result none = {scan_outcome::dead, 0, 0};
	if (body_length <= 0)
		return none;
	dead_stretches dead;
	dead.count = 0;
	dead.shortest_kept = 0;
	uint64_t reads_before = stream->reads;
	bool checked = false, mapped = false;
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
		// Once failed draws have read as much as the stretch, one whole pass maps every
		// dead stretch, so that later ones read nothing: a print never reads more than
		// about twice the file beyond its one scan that succeeds.
		scan_outcome pass = scan_outcome::entry;
		if (!checked) {
			checked = true;
			pass = map_stretch(stream, &dead, false);
		} else if (!mapped && reads_exceed_stretch(stream->reads - reads_before)) {
			mapped = true;
			pass = map_stretch(stream, &dead, true);
		}
		if (pass == scan_outcome::dead)
			return none;
		if (pass != scan_outcome::entry)
			return {pass, 0, 0};
	}
	return none;
}
