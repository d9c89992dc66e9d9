#include "entry_check.h"

#include <string.h>

#include "byte_search.h"
#include "draw_rule.h"
#include "entry_file.h"
#include "system_file.h"
#include "wide_division.h"

draw_share
share_of(int64_t length)
{
	if (length <= 0)
		return {length, 0, 0, 0, 0};
	uint64_t values = draw_values(static_cast<int32_t>(length));
	uint64_t more_below, rest;
	uint64_t each = divide_wide(values, static_cast<uint64_t>(length), &more_below);
	uint64_t inverse = divide_wide(UINT64_MAX, static_cast<uint64_t>(length), &rest);
	return {length, values, each, more_below, inverse};
}

// Up to 32768 positions, each offset takes each values and those below more_below one more. Beyond,
// the offset grows with the state, so they are the states below the first one whose draw reaches
// offset: ceil(offset * 2^32 / length), which the inverse gives within two from below, and the
// draw's own rule finds exactly.
uint64_t
values_below(const draw_share *share, int64_t offset)
{
	if (share->values == 32768)
		return static_cast<uint64_t>(offset) * share->each +
		       static_cast<uint64_t>(offset < static_cast<int64_t>(share->more_below)
						 ? offset
						 : static_cast<int64_t>(share->more_below));
	if (offset == share->length)
		return share->values;
	uint32_t target = static_cast<uint32_t>(offset);
	uint64_t state =
	    target * (share->inverse >> 32) + (target * (share->inverse & 0xFFFFFFFF) >> 32);
	int32_t length = static_cast<int32_t>(share->length);
	while (offset_of_state(static_cast<uint32_t>(state), length) < target)
		state++;
	return state;
}

uint64_t
run_weight(const draw_share *share, int64_t first, int64_t end)
{
	if (first < 0)
		first = 0;
	if (end > share->length)
		end = share->length;
	if (end <= first)
		return 0;
	return values_below(share, end) - values_below(share, first);
}

// The pass's state between blocks.
struct checker {
	entry_checked *checked;
	entry_bytes *taken;
	void *context;
	check_summary *summary;
	int64_t size;
	bool in_header;
	bool header_1a; // a 0x1A stands in the header, where mirl stops reading
	int64_t header_end;
	int64_t base; // the first drawable offset
	draw_share share;
	int64_t entry_start;
	bool entry_seen;    // a byte of the entry at entry_start was seen
	bool leading;       // the entry's bytes in earlier blocks are all whitespace
	int64_t run_start;  // the first offset that leads to the entry after the current one
	int64_t blank_from; // after the 0x1A an entry begins with: from here on
	bool rest_blank;    // all the bytes seen are whitespace
	checked_entry entry;
	unsigned char text[check_text_room];
};

// The header ends at header_end: fixes the drawable stretch, as mirl does.
static check_outcome
found_header(checker *c, int64_t header_end)
{
	if (c->size > INT32_MAX)
		return check_outcome::too_large;
	c->in_header = false;
	c->header_end = header_end;
	c->base = drawable_start(header_end);
	c->share = share_of(c->size - c->base);
	c->summary->values = c->share.values;
	c->summary->drawable = c->share.length;
	c->run_start = c->base;
	c->entry_start = header_end;
	c->entry_seen = false;
	return check_outcome::done;
}

// The entry at entry_start has a byte: counts it and weighs the offsets that lead to it.
static void
begin_entry(checker *c)
{
	c->entry_seen = true;
	c->leading = true;
	c->entry.index = ++c->summary->entries;
	c->entry.run_first = c->run_start - c->base;
	c->entry.run_end = c->entry_start - c->base;
	c->entry.weight = run_weight(&c->share, c->entry.run_first, c->entry.run_end);
	c->entry.fate = c->entry.index == 1 && c->header_end <= 40 ? entry_fate::behind_header
								   : entry_fate::printable;
	c->entry.text_length = 0;
	c->run_start = c->entry_start;
}

// A 0x1A at offset, with before bytes of the entry in front of it in this block: draws from it
// and before it are dead, and with only whitespace in front the entry is never printed.
static void
meet_1a(checker *c, const unsigned char *segment, size_t before, int64_t offset)
{
	if (c->leading && all_whitespace(segment, before) &&
	    c->entry.fate == entry_fate::printable) {
		c->entry.fate = entry_fate::begins_with_1a;
		c->blank_from = offset + 1;
		c->rest_blank = true;
	}
	c->run_start = offset + 1;
}

// Follows whether an entry that begins with 0x1A holds nothing else but blanks, a marker,
// through its bytes segment..end in the block that begins at offset at.
static void
follow_marker(checker *c, const unsigned char *block, size_t segment, size_t end, int64_t at)
{
	if (c->entry.fate != entry_fate::begins_with_1a || !c->rest_blank)
		return;
	size_t from = c->blank_from - at > static_cast<int64_t>(segment)
			  ? static_cast<size_t>(c->blank_from - at)
			  : segment;
	c->rest_blank = all_whitespace(block + from, end - from);
}

// What the ended entry is, now that its last byte is known; blank when it holds whitespace
// only, at_end when it ends at the end of the file.
static entry_fate
final_fate(const checker *c, bool blank, bool at_end)
{
	entry_fate fate = c->entry.fate;
	if (fate == entry_fate::behind_header)
		return blank ? entry_fate::filler : fate;
	if (fate == entry_fate::begins_with_1a)
		return c->rest_blank ? entry_fate::marker : fate;
	if (blank)
		return at_end ? entry_fate::tail : entry_fate::blank;
	return fate;
}

// Keeps the entry's first bytes after its leading whitespace, for the report.
static void
take_text(checker *c, const unsigned char *segment, size_t length)
{
	size_t start = c->leading ? leading_whitespace(segment, length) : 0;
	size_t room = check_text_room - c->entry.text_length;
	size_t part = length - start < room ? length - start : room;
	memcpy(c->text + c->entry.text_length, segment + start, part);
	c->entry.text_length += part;
}

// Adds the ended entry to the summary and hands it over. It runs for every entry: inline.
static inline void
end_entry(checker *c, bool blank, bool at_end)
{
	checked_entry *e = &c->entry;
	e->fate = final_fate(c, blank, at_end);
	check_summary *s = c->summary;
	s->of_fate[static_cast<int>(e->fate)]++;
	if (is_printed(e->fate)) {
		e->number = ++s->printable;
		s->total_weight += e->weight;
		if (e->number == 1 || e->weight < s->lowest_weight) {
			s->lowest_weight = e->weight;
			s->lowest_entry = e->number;
		}
		if (e->number == 1 || e->weight > s->highest_weight) {
			s->highest_weight = e->weight;
			s->highest_entry = e->number;
		}
		int64_t offsets = e->run_end - e->run_first;
		if (e->number == 1 || offsets < s->fewest_offsets)
			s->fewest_offsets = offsets;
		if (e->number == 1 || offsets > s->most_offsets)
			s->most_offsets = offsets;
	} else {
		e->number = 0;
		e->weight = 0;
	}
	if (c->checked != nullptr) {
		e->text = c->text;
		c->checked(c->context, e);
	}
}

// Follows the file through block, which begins at offset at. The usual file has no 0x1A, and
// one memchr per block shows it; then the only work per entry is the search for its NUL and
// the figures at its end. An entry's leading whitespace is looked at only in front of a 0x1A,
// at the end of a block and for the report's text.
static check_outcome
check_block(checker *c, const unsigned char *block, size_t length, int64_t at)
{
	size_t next_1a = find_byte(block, 0, length, 0x1A);
	size_t i = 0;
	if (c->in_header) {
		size_t nul = find_byte(block, 0, length, 0);
		c->header_1a = c->header_1a || next_1a < nul;
		if (nul == length)
			return check_outcome::done;
		if (c->header_1a)
			return check_outcome::no_separator;
		if (found_header(c, at + static_cast<int64_t>(nul) + 1) != check_outcome::done)
			return check_outcome::too_large;
		i = nul + 1;
	}
	while (i < length) {
		if (!c->entry_seen)
			begin_entry(c);
		size_t nul = find_byte(block, i, length, 0);
		for (; next_1a < nul; next_1a = find_byte(block, next_1a + 1, length, 0x1A))
			meet_1a(c, block + i, next_1a - i, at + static_cast<int64_t>(next_1a));
		follow_marker(c, block, i, nul, at);
		if (c->checked != nullptr)
			take_text(c, block + i, nul - i);
		if (c->taken != nullptr)
			c->taken(c->context, &c->entry, block + i, nul - i);
		if (nul == length) {
			c->leading = c->leading && all_whitespace(block + i, length - i);
			break;
		}
		// Text is padded in front: a last byte that is not whitespace ends the look.
		end_entry(c,
			  c->leading && (nul == i || (is_whitespace(block[nul - 1]) &&
						      all_whitespace(block + i, nul - i))),
			  false);
		c->entry_start = at + static_cast<int64_t>(nul) + 1;
		c->entry_seen = false;
		i = nul + 1;
	}
	return check_outcome::done;
}

// Static, not on the stack: Windows commits a stack a page at a time, so a frame this large
// would have every page probed at each call.
static const unsigned check_block_size = 65536;
static unsigned char check_block_bytes[check_block_size];

check_outcome
check_entries(int fd, int64_t size, entry_checked *checked, void *context, check_summary *summary)
{
	return check_entries_taking(fd, size, nullptr, checked, context, summary);
}

check_outcome
check_entries_taking(int fd, int64_t size, entry_bytes *taken, entry_checked *checked,
		     void *context, check_summary *summary)
{
	*summary = {};
	checker c = {};
	c.checked = checked;
	c.taken = taken;
	c.context = context;
	c.summary = summary;
	c.size = size;
	c.in_header = true;
	int64_t at = 0;
	long count = 0;
	// Bytes added since the size was measured are not read: they have no chance in it.
	while (at < size) {
		int64_t left = size - at;
		unsigned want =
		    left < check_block_size ? static_cast<unsigned>(left) : check_block_size;
		count = file_read(fd, check_block_bytes, want);
		if (count <= 0)
			break;
		check_outcome outcome =
		    check_block(&c, check_block_bytes, static_cast<size_t>(count), at);
		if (outcome != check_outcome::done)
			return outcome;
		at += count;
	}
	if (count < 0)
		return check_outcome::read_error;
	if (c.in_header)
		return check_outcome::no_nul;
	// The last entry ends at the end of the file; one of whitespace only is blank to it.
	if (c.entry_seen)
		end_entry(&c, c.leading, true);
	return check_outcome::done;
}
