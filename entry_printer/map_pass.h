#pragma once
// The pass that maps the drawable stretch: which offsets are dead, read once from its start.

#include "dead_map.h"
#include "entry_file.h"

// Maps the drawable stretch in one forward pass over the file's stored bytes, adding every dead
// stretch to found; the stretches known dead are skipped, not read again. Unless whole, it ends
// at the first live offset, and adds only the offsets before it, last: then found may be known.
// Gives entry when some offset is live, dead when none is, or the failure met.
scan_outcome map_stretch(entry_stream *stream, const dead_map *known, dead_map *found, bool whole);
