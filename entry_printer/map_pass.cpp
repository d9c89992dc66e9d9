#include "map_pass.h"

// The fate of an offset is that of the first separator or 0x1A at or after it, so the offsets
// fall into segments, each ended by one of them. A segment ended by a 0x1A is dead; one ended by
// a separator is live unless the first byte after the separator's whitespace is a 0x1A or the
// end of the file. A segment that runs to the end of the file is dead.
struct mapper {
	dead_map *found;
	int64_t end;     // just past the drawable stretch
	int64_t segment; // the first offset of the segment not yet ended
	// A segment ended by a separator whose fate waits for the bytes after it: its first
	// offset, or -1, and the separator's offset.
	int64_t pending;
	int64_t pending_last;
	int64_t dead_first; // the dead offsets gathered in a row, or -1
	int64_t dead_last;
	bool live_seen;
};

// Adds the dead offsets gathered in a row to the map, clipped to the drawable stretch.
static void
flush_dead(mapper *m)
{
	if (m->dead_first >= 0 && m->dead_first < m->end)
		remember_dead(m->found, m->dead_first,
			      m->dead_last < m->end ? m->dead_last : m->end - 1);
	m->dead_first = -1;
}

static void
mark_dead(mapper *m, int64_t first, int64_t last)
{
	if (m->dead_first < 0 || first != m->dead_last + 1) {
		flush_dead(m);
		m->dead_first = first;
	}
	m->dead_last = last;
}

static void
mark_live(mapper *m)
{
	flush_dead(m);
	m->live_seen = true;
}

// Takes the stored bytes at p on, up to stop unless a separator's fate is still open; ends early
// at the first live segment unless whole. Returns how many it took.
static long
take_bytes(mapper *m, const unsigned char *bytes, long count, int64_t p, int64_t stop, bool whole)
{
	long before_stop = stop - p < count ? static_cast<long>(stop - p) : count;
	long i = 0;
	while (i < count) {
		if (m->pending >= 0) {
			int c = bytes[i];
			if (is_whitespace(c)) {
				i++;
				continue;
			}
			if (c == 0x1A) {
				mark_dead(m, m->pending, m->pending_last);
			} else {
				mark_live(m);
				if (!whole)
					return i;
			}
			m->pending = -1;
		}
		if (i >= before_stop)
			return i;
		// The bytes that end no segment go at once, and so does a run of 0x1A, each a dead
		// segment of its own.
		while (i < before_stop && bytes[i] != 0 && bytes[i] != 0x1A)
			i++;
		if (i == before_stop)
			continue;
		if (bytes[i] == 0) {
			m->pending = m->segment;
			m->pending_last = p + i;
			m->segment = p + i + 1;
			i++;
		} else {
			while (i < before_stop && bytes[i] == 0x1A)
				i++;
			mark_dead(m, m->segment, p + i - 1);
			m->segment = p + i;
		}
	}
	return count;
}

// At the end of the file every open segment is dead, up to the end of the drawable stretch, as
// in a file cut short since its size was taken.
static void
take_file_end(mapper *m)
{
	if (m->pending >= 0)
		mark_dead(m, m->pending, m->pending_last);
	if (m->segment < m->end)
		mark_dead(m, m->segment, m->end - 1);
	m->pending = -1;
	m->segment = m->end;
}

scan_outcome
map_stretch(entry_stream *stream, const dead_map *known, dead_map *found, bool whole)
{
	mapper m = {found, static_cast<int64_t>(draw_base) + body_length, draw_base, -1, 0, -1, 0,
		    false};
	int64_t p = draw_base;
	size_t k = 0;
	bool at_p = false; // the stream stands at p
	while (m.segment < m.end || m.pending >= 0) {
		while (k < known->count && known->items[k].last < p)
			k++;
		int64_t stop = k < known->count ? known->items[k].first : INT64_MAX;
		// In a known stretch, the open segment and the rest of the stretch are dead: a scan
		// from the segment meets no separator or 0x1A before it.
		if (m.pending < 0 && p >= stop) {
			mark_dead(&m, m.segment, known->items[k].last);
			p = m.segment = known->items[k].last + 1;
			at_p = false;
			continue;
		}
		if (!at_p && !stream_seek(stream, p))
			return scan_outcome::seek_failed;
		at_p = true;
		const unsigned char *bytes;
		long count = stream_take_block(stream, &bytes);
		if (count < 0)
			return scan_outcome::read_error;
		if (count == 0) {
			take_file_end(&m);
			break;
		}
		long taken = take_bytes(&m, bytes, count, p, stop, whole);
		p += taken;
		if (taken < count) {
			if (m.live_seen && !whole)
				break;
			at_p = false;
		}
	}
	flush_dead(&m);
	return m.live_seen ? scan_outcome::entry : scan_outcome::dead;
}
