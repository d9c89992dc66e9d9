#pragma once
// The chance of every entry of any entry file in one draw of mirl's that prints, computed
// exactly from the draw rule and the generator's range, in one pass over the file with memory
// that does not grow with it.
//
// An offset leads to the entry after the first NUL at or after it. A draw is dead, and drawn
// again, when its scan meets the end of the file or a 0x1A before that NUL, or before the
// entry's first byte after its leading whitespace. So the offsets that print entry j > 1 are
// the bytes of entry j-1 and its NUL from just past its last 0x1A on; those that print the
// first are the header's last 40 bytes, when it is longer than 40. An entry's weight is the
// count of the draw's values that fall on its offsets; its chance is its weight over the sum
// of the weights of all entries that can be printed.

#include <stddef.h>
#include <stdint.h>

// What one draw's values give the offsets of a drawable stretch of length offsets. Up to 32768
// offsets, each offset is hit by each values, and those below more_below by one more; beyond,
// by the states that the draw scales onto it, found with inverse = (2^64 - 1) / length.
struct draw_share {
	int64_t length;
	uint64_t values;
	uint64_t each;
	uint64_t more_below;
	uint64_t inverse;
};

draw_share share_of(int64_t length);

// The draw values whose relative offsets lie below offset, which is within the stretch: beyond
// 32768 offsets, the first state whose draw reaches offset.
uint64_t values_below(const draw_share *share, int64_t offset);

// The draw values that fall on the relative offsets first..end-1, clipped to the stretch.
uint64_t run_weight(const draw_share *share, int64_t first, int64_t end);

// What an entry is to a user. The first two are printed; the next two are faults, entries
// that were written and can never be printed; the last three are what an equal-chance layout
// adds and mirl skips: the blanks behind a header of 40 bytes or fewer, entries of one 0x1A
// and blanks, and blanks to the end of the file.
enum class entry_fate {
	printable,
	blank, // printed as an empty line
	behind_header,
	begins_with_1a,
	filler,
	marker,
	tail,
	count
};

inline bool
is_printed(entry_fate fate)
{
	return fate == entry_fate::printable || fate == entry_fate::blank;
}

inline bool
is_layout_part(entry_fate fate)
{
	return fate >= entry_fate::filler;
}

enum { check_text_room = 40 };

struct checked_entry {
	uint64_t index;             // from 1
	uint64_t number;            // among the printed entries, from 1; 0 for the others
	uint64_t weight;            // 0 unless printed
	int64_t run_first, run_end; // when printed, the relative offsets that lead to it
	entry_fate fate;
	const unsigned char *text; // its first bytes after its leading whitespace
	size_t text_length;        // at most check_text_room
};

typedef void entry_checked(void *context, const checked_entry *entry);

// Called with each piece of an entry's bytes, in order, before the entry is checked.
typedef void entry_bytes(void *context, const checked_entry *entry, const unsigned char *bytes,
			 size_t length);

struct check_summary {
	uint64_t entries;
	uint64_t printable;
	uint64_t values;  // a draw's values: over total_weight, the draws per print
	int64_t drawable; // the drawable stretch's length
	uint64_t total_weight;
	// The numbers of the first printed entries with the least and the most weight.
	uint64_t lowest_weight, lowest_entry;
	uint64_t highest_weight, highest_entry;
	// The fewest and the most offsets that lead to a printed entry: when they are alike, a
	// stretch longer than 32768 offsets is the only cause of a difference of weight.
	int64_t fewest_offsets, most_offsets;
	uint64_t of_fate[static_cast<int>(entry_fate::count)];
};

// no_nul: the file holds none; no_separator: a 0x1A, which ends mirl's reading, comes first.
enum class check_outcome { done, no_nul, no_separator, too_large, read_error };

// Checks the first size bytes of the file open on fd, read from its start; calls checked, when
// it is not null, for every entry in order.
check_outcome check_entries(int fd, int64_t size, entry_checked *checked, void *context,
			    check_summary *summary);

// As check_entries, also handing taken, when it is not null, the bytes of every entry.
check_outcome check_entries_taking(int fd, int64_t size, entry_bytes *taken, entry_checked *checked,
				   void *context, check_summary *summary);
