#include "layout.h"

#include <stdio.h>

#include "draw_rule.h"
#include "wide_division.h"

// mirl draws from the header's last 40 bytes only when it is longer: the filler stored first
// is then never drawn, and the offsets in it lead to the first real entry.
static_assert(sizeof "mirl entries: 1073741823, equal chances" <= 40,
	      "the equal-chance header is 40 bytes or fewer");

size_t
header_text(char *buffer, const layout *plan)
{
	int length =
	    sprintf(buffer,
		    plan->kind == layout_kind::weighted
			? "mirl entries: %lu, chances follow the length of the entry before"
			: "mirl entries: %lu, equal chances",
		    static_cast<unsigned long>(plan->entries));
	return static_cast<size_t>(length) + 1;
}

entry_pieces
pieces_of(const layout *plan, uint64_t length)
{
	if (plan->kind == layout_kind::weighted)
		return {0, false};
	if (length <= plan->lead)
		return {plan->lead - length, false};
	return {0, true};
}

// The smallest tail after body bytes that makes the draw's values fall evenly on the offsets
// below live_end. Of the L offsets of the stretch, a draw hits each q or q+1 times, q+1 below
// r = 32768 mod L: the live ones are hit alike when r is 0 or reaches past them all, and
// L = 32768 always qualifies. A longer stretch draws from the generator's 2^32 states, each
// offset from q or q+1 of them spread over the stretch, so no tail evens them out: an entry of
// n offsets gets n * 2^32 / L states, give or take one.
static uint64_t
equalizing_tail(uint64_t body, uint64_t live_end)
{
	if (body > 32768)
		return 0;
	// Within 32768 the arithmetic fits 32 bits.
	const uint32_t values = 32768;
	uint32_t length = static_cast<uint32_t>(body);
	for (;;) {
		uint32_t r = values % length;
		if (r == 0 || r >= live_end)
			return length - body;
		// Up to the last length with the same q, r only falls: to 0 if that one divides.
		uint32_t last = values / (values / length);
		if (values % last == 0)
			return last - body;
		length = last + 1;
	}
}

// Pads the entries of up to lead bytes to it, and puts a marker after the long_count longer
// ones, of long_bytes bytes: the filler and every entry take lead+1 bytes, and a long one its
// own bytes, its NUL and the marker's 0x1A besides.
static void
pad_to(layout *plan, uint64_t lead, uint64_t long_count, uint64_t long_bytes)
{
	uint64_t body = (plan->entries + 1) * (lead + 1) + long_bytes + 2 * long_count;
	plan->lead = lead;
	plan->filler = true;
	// The last lead+1 offsets lead to the tail. One entry has no other to be equal to: any
	// tail would only add draws.
	plan->tail = plan->entries > 1 ? equalizing_tail(body, body - (lead + 1)) : 0;
	plan->body = body + plan->tail;
}

// Whether the body fits below room and a print takes at most two draws on average: the draw's
// values over those that fall on the entries' offsets, each of which takes at least
// q = values / L of them, or q+1 when the tail put r past them. Above 32768 offsets this is the
// most the order of the entries allows, within one part in q of the exact figure.
static bool
in_two_draws(const layout *plan, uint64_t room)
{
	if (plan->body >= room)
		return false;
	// The entries' offsets, within the body, fit 32 bits.
	uint32_t live = static_cast<uint32_t>(plan->entries * (plan->lead + 1));
	uint64_t values = draw_values(static_cast<int32_t>(plan->body)), each;
	if (plan->body <= 32768) {
		// Searches try many bodies: plain 32-bit division, where it is enough.
		uint32_t length = static_cast<uint32_t>(plan->body);
		each = 32768 / length + (32768 % length != 0);
	} else {
		uint64_t r;
		each = divide_wide(values, plan->body, &r);
	}
	return values <= live * each * 2;
}

// Takes trial for the plan when it needs at most two draws per print and is smaller, or when
// the plan does not.
static void
take_if_better(layout *plan, bool *fits, const layout *trial, uint64_t room)
{
	if ((!*fits || trial->body < plan->body) && in_two_draws(trial, room)) {
		*plan = *trial;
		*fits = true;
	}
}

// Pads for the smallest body below room that needs at most two draws per print, trying every
// lead below the longest entry and below counted_lengths; the entries of a lead's length are
// the ones its markers no longer follow. Within 32768 offsets the tail can cost more than
// padding past the longest entry, up to the first body longer, which needs no tail: those
// leads are tried too. Without one, the entries are padded to the longest.
static void
pad_for_two_draws(layout *plan, const entry_counts *all, const uint32_t *lengths, uint64_t room)
{
	pad_to(plan, all->longest, 0, 0);
	bool fits = in_two_draws(plan, room);
	layout trial = *plan;
	// All of them fit 32 bits, the limit being 2^31.
	uint32_t long_count = static_cast<uint32_t>(all->entries);
	uint32_t long_bytes = static_cast<uint32_t>(all->bytes);
	for (uint32_t lead = 0; lead < all->longest && lead < counted_lengths; lead++) {
		long_count -= lengths[lead];
		long_bytes -= lead * lengths[lead];
		pad_to(&trial, lead, long_count, long_bytes);
		take_if_better(plan, &fits, &trial, room);
	}
	for (uint64_t lead = all->longest + 1; (all->entries + 1) * lead <= 32768; lead++) {
		// This lead and every longer one make a body of at least this, tail or not.
		if (fits && (all->entries + 1) * (lead + 1) >= plan->body)
			break;
		pad_to(&trial, lead, 0, 0);
		take_if_better(plan, &fits, &trial, room);
	}
}

layout
plan_layout(layout_kind kind, const entry_counts *all, const uint32_t *lengths)
{
	layout plan = {kind, all->entries, 0, false, 0, 0, entry_file_limit};
	// Factors below 2^31 keep the products below 2^62, and the header within its room; a
	// larger one is over the limit anyway.
	if (all->entries >= entry_file_limit || all->longest >= entry_file_limit ||
	    all->bytes >= entry_file_limit)
		return plan;
	char header[header_room];
	uint64_t header_length = header_text(header, &plan);
	if (kind == layout_kind::equal)
		pad_for_two_draws(&plan, all, lengths, entry_file_limit - header_length);
	else if (kind == layout_kind::padded)
		pad_to(&plan, all->longest, 0, 0);
	else
		plan.body = all->bytes + all->entries;
	uint64_t size = header_length + plan.body;
	plan.size = size < entry_file_limit ? size : entry_file_limit;
	return plan;
}
