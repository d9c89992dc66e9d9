#include "indentation.h"

#include <string.h>

#include "byte_search.h"
#include "code_page.h"

stored_entry
stored_form(const split_entry *entry)
{
	size_t space_length;
	no_break_space(&space_length);
	const entry_lead *lead = &entry->lead;
	bool spaced = lead->indent > 0 && space_length > 0;
	uint64_t skip = lead->blank_lines;
	if (lead->indent > 0 && !spaced)
		skip += lead->indent;
	else if (spaced && !lead->tab)
		skip++;
	return {skip, spaced, entry->length - skip + (spaced ? space_length : 0)};
}

restored_start
restored_form(const char *bytes, size_t length)
{
	size_t start = 0;
	while (start < length && bytes[start] == ' ')
		start++;
	size_t space_length;
	const char *space = no_break_space(&space_length);
	if (space_length == 0 || length - start < space_length ||
	    memcmp(bytes + start, space, space_length) != 0)
		return {start, false};
	// Text that is blank behind it was never indented: a blank in its place would make it
	// a blank entry.
	size_t text = start + space_length;
	if (all_whitespace(reinterpret_cast<const unsigned char *>(bytes) + text, length - text))
		return {start, false};
	return {text, bytes[text] != '\t'};
}
