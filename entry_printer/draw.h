#pragma once
// The random draw over the drawable stretch, and the redrawing until a draw reaches an entry.

#include <stdint.h>

#include "entry_file.h"

// How many values one draw of an offset takes: the generator's 32768 for a stretch of up to
// 32768 positions, 2^45 from three calls for a longer one. Inline, so that mirlmake, which
// weighs draws, needs nothing else of the draw.
inline uint64_t
draw_values(int32_t length)
{
	return length > 32768 ? UINT64_C(1) << 45 : 32768;
}

// Draws one offset into the drawable stretch.
int64_t draw_offset();

// Draws offsets until a scan from one reaches an entry; dead when no draw ever can.
scan_result draw_until_entry(entry_stream *stream);
