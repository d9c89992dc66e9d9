#include "entry_counts.h"

void
count_entry(entry_counts *counts, uint64_t length)
{
	counts->entries++;
	if (length > counts->longest)
		counts->longest = length;
	counts->bytes += length;
	// FNV-1a over the lengths: any change of a length shows.
	counts->mix = (counts->mix ^ static_cast<uint32_t>(length)) * 16777619u;
}

void
add_counts(entry_counts *total, const entry_counts *part)
{
	total->entries += part->entries;
	if (part->longest > total->longest)
		total->longest = part->longest;
	total->bytes += part->bytes;
}

bool
agrees_so_far(const entry_counts *first, const entry_counts *second)
{
	return second->entries <= first->entries && second->longest <= first->longest &&
	       second->bytes <= first->bytes;
}

bool
agrees_in_full(const entry_counts *first, const entry_counts *second)
{
	return agrees_so_far(first, second) && second->entries == first->entries &&
	       second->bytes == first->bytes && second->mix == first->mix;
}
