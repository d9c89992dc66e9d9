// Fuzzes mirlmake's checker on in-memory files, the input being the file. Checked on every
// input: the checker ends, stays in bounds (the sanitizers watch), finds the header's separator
// as the reader does, and gives every entry the weight that counting every draw value gives,
// in a summary that adds up.
#include <cstdint>
#include <map>
#include <string>

#include "counted_weights.h"
#include "entry_check.h"
#include "in_memory.h"

typedef std::map<std::uint64_t, std::uint64_t> weights;

static void
collect(void *context, const checked_entry *entry)
{
	if (entry->weight > 0)
		(*static_cast<weights *>(context))[entry->index] = entry->weight;
}

extern "C" int
LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
	std::string file(reinterpret_cast<const char *>(data), size);
	weights checked;
	check_summary summary;
	check_outcome outcome = check_entries(in_memory_file(file), static_cast<std::int64_t>(size),
					      collect, &checked, &summary);
	bool separated = reference::drawable(file).has_value();
	fuzz_check(outcome == (separated ? check_outcome::done : check_outcome::no_separator),
		   "the header's separator found otherwise than by the reader");
	if (!separated)
		return 0;
	weights counted = counted_weights(file);
	fuzz_check(checked == counted, "weights other than those of counting every draw value");
	std::uint64_t total = 0;
	for (const auto &entry : counted)
		total += entry.second;
	fuzz_check(summary.printable == counted.size() && summary.total_weight == total,
		   "a summary that does not add up");
	return 0;
}
