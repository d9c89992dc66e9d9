#include "layout.h"

#include <stdio.h>

// mirl draws from the header's last 40 bytes only when it is longer: the filler stored first
// is then never drawn, and the offsets in it lead to the first real entry.
static_assert(sizeof "mirl entries: 1073741823, equal chances" <= 40,
	      "the default header is 40 bytes or fewer");

size_t
header_text(char *buffer, uint64_t entries, bool weighted)
{
	int length =
	    sprintf(buffer,
		    weighted ? "mirl entries: %lu, chances follow the length of the entry before"
			     : "mirl entries: %lu, equal chances",
		    static_cast<unsigned long>(entries));
	return static_cast<size_t>(length) + 1;
}

// A draw hits each of the L offsets q or q+1 times, q+1 below m = 32768 mod L. The live offsets,
// those of every entry but the last and of the filler, are hit equally often when m is 0 or
// reaches past them all; L = 32768 always qualifies. A longer stretch takes three generator
// values per draw, and every offset is hit q or q+1 times with q >= 2^45 / 2^31: equal within
// one part in 16384, with no tail.
uint64_t
tail_length(uint64_t entries, uint64_t longest)
{
	uint64_t padded = (entries + 1) * (longest + 1);
	if (padded > 32768)
		return 0;
	uint64_t live = entries * (longest + 1);
	uint64_t tail = 0;
	while (32768 % (padded + tail) != 0 && 32768 % (padded + tail) < live)
		tail++;
	return tail;
}

uint64_t
output_size(const entry_counts *counts, bool weighted)
{
	// Factors below 2^31 keep the products below 2^62; a larger one is over the limit anyway.
	if (counts->entries >= entry_file_limit || counts->longest >= entry_file_limit ||
	    counts->bytes >= entry_file_limit)
		return entry_file_limit;
	uint64_t body = weighted ? counts->bytes + counts->entries
				 : (counts->entries + 1) * (counts->longest + 1) +
				       tail_length(counts->entries, counts->longest);
	if (body >= entry_file_limit)
		return entry_file_limit;
	char header[header_room];
	uint64_t size = header_text(header, counts->entries, weighted) + body;
	return size < entry_file_limit ? size : entry_file_limit;
}
