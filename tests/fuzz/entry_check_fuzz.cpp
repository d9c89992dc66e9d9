// Fuzzes mirlmake's checker on in-memory files, the input being the file. Checked on every
// input: the checker ends, stays in bounds (the sanitizers watch), finds the header's separator
// as the reader does, and gives every entry the weight that the plain model of the reader
// gives, in a summary that adds up. The bytes also give entries laid out as mirlmake lays them
// out: all printable, equally in the equal-chance layouts (within the generator's range; beyond
// it, to one state an offset), by default in two draws a print (within the generator's range).
#include <cstdint>
#include <string>

#include "counted_weights.h"
#include "entry_check.h"
#include "in_memory.h"
#include "layout.h"
#include "reference_reader.h"

static void
collect(void *context, const checked_entry *entry)
{
	if (entry->weight > 0)
		static_cast<entry_weights *>(context)->emplace_back(entry->index, entry->weight);
}

static check_summary
check_file(const std::string &file)
{
	static entry_weights checked;
	checked.clear();
	check_summary summary;
	check_outcome outcome =
	    check_entries(in_memory_file(file), static_cast<std::int64_t>(file.size()), collect,
			  &checked, &summary);
	bool separated = reference::drawable(file).has_value();
	check_outcome unseparated = file.find('\0') == std::string::npos
					? check_outcome::no_nul
					: check_outcome::no_separator;
	fuzz_check(outcome == (separated ? check_outcome::done : unseparated),
		   "the header's separator found otherwise than by the reader");
	if (!separated)
		return summary;
	entry_weights counted = counted_weights(file);
	fuzz_check(checked == counted, "weights other than the plain model's");
	std::uint64_t total = 0;
	for (const auto &entry : counted)
		total += entry.second;
	fuzz_check(summary.printable == counted.size() && summary.total_weight == total,
		   "a summary that does not add up");
	return summary;
}

// The entries of up to 120 lengths, one a byte after the first (mostly short, long for the odd
// bytes), laid out piece by piece as the layout that the first byte picks says. The strings
// here keep their room from input to input: fresh room costs more in page faults than checks.
static const std::string &
laid_out(const std::uint8_t *data, std::size_t size, layout *plan)
{
	static std::string file;
	static std::uint32_t counted[counted_lengths];
	std::uint64_t lengths[120];
	std::size_t entries = 0;
	entry_counts all = {};
	for (; entries + 1 < size && entries < 120; entries++) {
		std::uint8_t byte = data[entries + 1];
		lengths[entries] = byte % 2 != 0 ? byte * 2u + 1 : byte % 16u + 1;
		count_entry(&all, lengths[entries]);
		counted[lengths[entries]]++;
	}
	*plan = plan_layout(static_cast<layout_kind>(data[0] % 3), &all, counted);
	char header[header_room];
	file.assign(header, header_text(header, plan));
	static std::string lead;
	lead.assign(plan->lead, ' ') += '\0';
	if (plan->filler)
		file += lead;
	for (std::size_t i = 0; i < entries; i++) {
		std::uint64_t length = lengths[i];
		counted[length] = 0;
		entry_pieces pieces = pieces_of(plan, length);
		file.append(pieces.padding, ' ').append(length, 'x') += '\0';
		if (pieces.marker)
			(file += marker_start) += lead;
	}
	return file.append(plan->tail, ' ');
}

extern "C" int
LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
	static std::string input;
	check_file(input.assign(reinterpret_cast<const char *>(data), size));
	layout plan;
	const std::string &file = laid_out(data, size, &plan);
	fuzz_check(file.size() == plan.size, "a file of another size than planned");
	check_summary s = check_file(file);
	auto of = [&s](entry_fate fate) { return s.of_fate[static_cast<int>(fate)]; };
	fuzz_check(s.printable == plan.entries && of(entry_fate::printable) == plan.entries,
		   "an entry that can never be printed, or a layout part taken for an entry");
	// Beyond the generator's range each offset takes q = 2^32 / L states or one more, so
	// entries of n offsets differ by at most n, and n is at most the lowest weight over q.
	std::uint64_t spread =
	    s.values > 32768 ? s.lowest_weight / (s.values / static_cast<std::uint64_t>(s.drawable))
			     : 0;
	fuzz_check(plan.kind == layout_kind::weighted ||
		       s.highest_weight - s.lowest_weight <= spread,
		   "unequal chances");
	fuzz_check(plan.kind != layout_kind::equal || plan.entries == 0 || s.values > 32768 ||
		       s.values <= 2 * s.total_weight,
		   "more than two draws a print by default");
	return 0;
}
