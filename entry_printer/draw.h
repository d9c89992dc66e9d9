#pragma once
// The random draw over the drawable stretch, and the redrawing until a draw reaches an entry.

#include <stdint.h>

#include "draw_rule.h"
#include "entry_file.h"

// Draws one offset into the drawable stretch.
int64_t draw_offset();

// Draws offsets until a scan from one reaches an entry; dead when no draw ever can.
scan_result draw_until_entry(entry_stream *stream);
