#include "indentation.h"

#include <string.h>

#include "byte_search.h"
#include "code_page.h"

void
restore_start(restorer *r)
{
	*r = {restore_state::lead, false, 0, {0, 0}, 0};
}

// Hands out count blanks.
static void
out_blanks(uint64_t count, restored_bytes *out, void *context)
{
	static const char blanks[] = "                                ";
	for (; count > 0; count -= count < 32 ? count : 32)
		out(context, blanks, count < 32 ? static_cast<size_t>(count) : 32);
}

// The text's next byte is no blank: restored is what is held of it, which is a no-break space
// or not, and the blanks in front.
static void
restore_head(restorer *r, unsigned char c, const char *space, size_t space_length,
	     restored_bytes *out, void *context)
{
	r->head[r->head_length++] = c;
	bool prefix = memcmp(r->head, space, r->head_length) == 0;
	if (prefix && r->head_length < space_length)
		return;
	if (prefix && !r->spaced) {
		r->spaced = true;
		r->head_length = 0;
		r->state = restore_state::blanks;
		return;
	}
	// A no-break space of the text's own keeps the blanks; any other byte takes back the
	// blank that the first one stood for.
	out_blanks(r->blanks + (r->spaced && !prefix), out, context);
	out(context, reinterpret_cast<const char *>(r->head), r->head_length);
	r->state = restore_state::copy;
}

// Takes one byte in front of the copy of the rest.
static void
restore_byte(restorer *r, unsigned char c, const char *space, size_t space_length,
	     restored_bytes *out, void *context)
{
	switch (r->state) {
	case restore_state::lead:
		if (is_whitespace(c))
			return;
		if (space_length == 0) {
			out(context, reinterpret_cast<const char *>(&c), 1);
			r->state = restore_state::copy;
			return;
		}
		r->state = restore_state::head;
		restore_head(r, c, space, space_length, out, context);
		return;
	case restore_state::blanks:
		if (c == ' ') {
			r->blanks++;
		} else if (is_whitespace(c)) {
			out_blanks(r->blanks, out, context);
			out(context, reinterpret_cast<const char *>(&c), 1);
			r->state = restore_state::copy;
		} else {
			r->state = restore_state::head;
			restore_head(r, c, space, space_length, out, context);
		}
		return;
	case restore_state::head:
		restore_head(r, c, space, space_length, out, context);
		return;
	case restore_state::copy:
		return;
	}
}

void
restore_piece(restorer *r, const char *bytes, size_t length, restored_bytes *out, void *context)
{
	size_t space_length;
	const char *space = no_break_space(&space_length);
	size_t i = 0;
	// Padding may be long: it is skipped four blanks at a time.
	if (r->state == restore_state::lead)
		i = leading_whitespace(reinterpret_cast<const unsigned char *>(bytes), length);
	for (; i < length && r->state != restore_state::copy; i++)
		restore_byte(r, static_cast<unsigned char>(bytes[i]), space, space_length, out,
			     context);
	if (i < length)
		out(context, bytes + i, length - i);
}

void
restore_end(restorer *r, restored_bytes *out, void *context)
{
	size_t space_length;
	const char *space = no_break_space(&space_length);
	// A no-break space and blanks, which mirl prints, are no stored form: they stay.
	if (r->state == restore_state::blanks) {
		out(context, space, space_length);
		out_blanks(r->blanks, out, context);
	} else if (r->state == restore_state::head) {
		out_blanks(r->blanks + r->spaced, out, context);
		out(context, reinterpret_cast<const char *>(r->head), r->head_length);
	}
	restore_start(r);
}
