#pragma once
// Indentation that mirl prints. mirl skips the whitespace an entry begins with, so an entry is
// stored from its first line that is not blank, the blank lines in front of it left out, and
// when that line begins with whitespace, behind the code page's no-break space, which mirl
// prints. A first blank becomes the no-break space, so that the text keeps its columns; other
// whitespace, or a no-break space of the text's own, keeps the one in front of it. In a code
// page without one the entry is stored from its first byte that mirl prints. -x turns the
// no-break space back.

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "code_page.h"
#include "entry_splitter.h"

// What an entry is stored as: a no-break space or not, then its bytes from skip on.
struct stored_entry {
	uint64_t skip;
	bool spaced;
	uint64_t length; // stored bytes
};

// An entry that making keeps begins with its first line that is not blank, x = W c ..., W its
// whitespace and c the first other byte. With a no-break space N the stored form is:
//   x                 when W is empty and c is not N;
//   N and x less W's first byte, when W is blanks only and c is not N;
//   N x               otherwise: W holds other whitespace, or c is N.
// restore_piece reads N, then k blanks, then the next byte d: when d is whitespace other than a
// blank, or N, the text was N x; otherwise it was a blank, the k blanks and d on. So restoring
// gives x back, and making it again the same stored form.
// It runs for every entry, in both passes, so it is inline.
inline stored_entry
stored_form(const split_entry *entry)
{
	size_t space_length;
	const char *space = no_break_space(&space_length);
	const entry_lead *lead = &entry->lead;
	uint64_t skip = lead->blank_lines;
	bool head_space = space_length > 0 && lead->head_length >= space_length &&
			  memcmp(lead->head, space, space_length) == 0;
	bool spaced = space_length > 0 && (lead->indent > 0 || head_space);
	if (space_length == 0)
		skip += lead->indent;
	else if (lead->indent > 0 && !lead->mixed && !head_space)
		skip++;
	return {skip, spaced, entry->length - skip + (spaced ? space_length : 0)};
}

enum class restore_state : unsigned char { lead, head, blanks, copy };

// Turns stored entries back into the text they were stored from, a piece at a time, and
// without them what mirl prints: the whitespace in front skipped, padding among it, and a
// no-break space in front turned back. For every entry that making keeps, stored in a code
// page with a no-break space, what is restored is the entry again.
struct restorer {
	restore_state state;
	bool spaced;           // the text began with a no-break space
	uint64_t blanks;       // behind it
	unsigned char head[2]; // bytes that may be a no-break space
	unsigned char head_length;
};

typedef void restored_bytes(void *context, const char *bytes, size_t length);

void restore_start(restorer *r);

// Restores the next length bytes of an entry, handing what is restored to out.
void restore_piece(restorer *r, const char *bytes, size_t length, restored_bytes *out,
		   void *context);

// Ends the entry, handing out what is restored of bytes held.
void restore_end(restorer *r, restored_bytes *out, void *context);
