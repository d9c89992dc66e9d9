#include "draw.h"

#include <stdlib.h>

#include "dead_map.h"
#include "live_states.h"
#include "map_pass.h"

// The offset in the drawable stretch that the generator's state after a step draws.
static int64_t
offset_drawn(uint32_t state)
{
	return draw_base + offset_of_state(state, body_length);
}

int64_t
draw_offset()
{
	return offset_drawn(generator_advance());
}

// Seeks to offset and scans from there. A search for the separator that runs into a stretch
// known to be dead ends there, dead as well: from there on it would meet the same bytes in the
// same way. A scan that meets the end of the file proves the rest of the stretch dead too, as
// in a file cut short since its size was taken.
static scan_result
scan_from(entry_stream *stream, int64_t offset, const dead_map *dead)
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
	int64_t last = static_cast<int64_t>(draw_base) + body_length - 1;
	if (result.outcome == scan_outcome::dead &&
	    (stream_at_file_end(stream) || result.end > last))
		result.end = last;
	return result;
}

// The reads of one block that a run may spend on failed draws before it maps the stretch.
static bool
reads_exceed_stretch(uint64_t reads)
{
	return reads * sizeof(entry_stream::block) >= static_cast<uint64_t>(body_length);
}

// The dead stretches that failed draws add one by one, each moving those after it, before the
// pass maps them all in order.
enum { most_remembered = 4096 };

// After 2^32 draws the generator has gone through all its states and the draws repeat: a run
// that has reached no entry by then never will.
const uint64_t all_states = UINT64_C(1) << 32;

// Maps every dead stretch in one pass, replacing the map, and finds the states that may draw a
// live offset.
static scan_outcome
map_whole_stretch(entry_stream *stream, dead_map *dead, live_states *live)
{
	dead_map found;
	dead_map_start(&found);
	scan_outcome pass = map_stretch(stream, dead, &found, true);
	dead_map_free(dead);
	*dead = found;
	if (pass == scan_outcome::entry)
		find_live_states(live, dead, draw_base, body_length);
	return pass;
}

// Redraws until a draw reaches an entry, remembering the dead stretches that failed draws prove,
// so that later draws into them read nothing. A first failed draw is the cue to check once
// whether any draw can succeed. Once failed draws have read as much as the stretch, or added
// many stretches, one pass maps all of them. So a print reads at most about twice the file
// besides the header's block and its entry's: before the pass, the stretch and one scan more;
// in it, the stretch once, and a block more after each of the at most 4,097 known stretches it
// skips; after it, nothing but the entry's, as every draw then is known dead or reaches an
// entry. From then on a draw costs a step of the generator and a load, unless its bucket of
// states may be live.
static scan_result
redraw(entry_stream *stream, dead_map *dead, live_states *live)
{
	uint64_t reads_before = stream->reads;
	bool checked = false, mapped = false;
	for (uint64_t draws = 0; draws < all_states;) {
		uint32_t state = generator_advance();
		draws++;
		if (live->buckets != nullptr) {
			state = step_to_live(live, state, &draws, all_states);
			generator_seed(state); // the state stepped to is the generator's
		}
		int64_t offset = offset_drawn(state);
		if (dead_stretch_end(dead, offset) >= 0)
			continue;
		scan_result result = scan_from(stream, offset, dead);
		if (result.outcome != scan_outcome::dead)
			return result;
		remember_dead(dead, offset, result.end);
		scan_outcome pass = scan_outcome::entry;
		if (!checked) {
			checked = true;
			pass = map_stretch(stream, dead, dead, false);
		}
		if (pass == scan_outcome::entry && !mapped &&
		    (reads_exceed_stretch(stream->reads - reads_before) ||
		     dead->count >= most_remembered)) {
			mapped = true;
			pass = map_whole_stretch(stream, dead, live);
		}
		if (pass != scan_outcome::entry)
			return {pass, 0, 0};
	}
	return {scan_outcome::dead, 0, 0};
}

scan_result
draw_until_entry(entry_stream *stream)
{
	if (body_length <= 0)
		return {scan_outcome::dead, 0, 0};
	dead_map dead;
	dead_map_start(&dead);
	live_states live = {nullptr, 0};
	scan_result result = redraw(stream, &dead, &live);
	dead_map_free(&dead);
	free(live.buckets);
	return result;
}
