// Fuzzes mirlmake's checker on in-memory files, the input being the file. Checked on every
// input: the checker ends, stays in bounds (the sanitizers watch), finds the header's separator
// as the reader does, and gives every entry the weight that counting every draw value gives,
// in a summary that adds up. The same bytes also give the lengths of entries that are laid out
// as mirlmake lays them out, markers and all: in the equal-chance layouts every entry can be
// printed, with the same weight, in at most two draws a print unless the entries are padded to
// the longest.
#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "counted_weights.h"
#include "entry_check.h"
#include "in_memory.h"
#include "layout.h"

typedef std::map<std::uint64_t, std::uint64_t> weights;

static void
collect(void *context, const checked_entry *entry)
{
	if (entry->weight > 0)
		(*static_cast<weights *>(context))[entry->index] = entry->weight;
}

// Checks the file against counting every draw value; returns the summary.
static check_summary
check_file(const std::string &file)
{
	weights checked;
	check_summary summary;
	check_outcome outcome =
	    check_entries(in_memory_file(file), static_cast<std::int64_t>(file.size()), collect,
			  &checked, &summary);
	bool separated = reference::drawable(file).has_value();
	fuzz_check(outcome == (separated ? check_outcome::done : check_outcome::no_separator),
		   "the header's separator found otherwise than by the reader");
	if (!separated)
		return summary;
	weights counted = counted_weights(file);
	fuzz_check(checked == counted, "weights other than those of counting every draw value");
	std::uint64_t total = 0;
	for (const auto &entry : counted)
		total += entry.second;
	fuzz_check(summary.printable == counted.size() && summary.total_weight == total,
		   "a summary that does not add up");
	return summary;
}

// Entries of up to 120 lengths, one a byte after the first: mostly short, the odd bytes long.
static std::vector<std::uint64_t>
lengths_of(const std::uint8_t *data, std::size_t size)
{
	std::vector<std::uint64_t> lengths;
	for (std::size_t i = 1; i < size && lengths.size() < 120; i++)
		lengths.push_back(data[i] % 2 != 0 ? data[i] * 2u + 1 : data[i] % 16u + 1);
	return lengths;
}

// The file of entries of these lengths in the layout plan, written piece by piece as the
// layout says.
static std::string
laid_out(const layout *plan, const std::vector<std::uint64_t> &lengths)
{
	char header[header_room];
	std::string file(header, header_text(header, plan));
	const std::string lead = std::string(plan->lead, ' ') + '\0';
	if (plan->filler)
		file += lead;
	for (std::uint64_t length : lengths) {
		entry_pieces pieces = pieces_of(plan, length);
		file += std::string(pieces.padding, ' ') + std::string(length, 'x') + '\0';
		if (pieces.marker)
			file += marker_start + lead;
	}
	return file + std::string(plan->tail, ' ');
}

static void
check_layout(const std::uint8_t *data, std::size_t size)
{
	auto lengths = lengths_of(data, size);
	if (lengths.empty())
		return;
	static std::uint32_t counted[counted_lengths];
	entry_counts all = {};
	for (std::uint64_t length : lengths) {
		count_entry(&all, length);
		counted[length]++;
	}
	auto kind = static_cast<layout_kind>(data[0] % 3);
	layout plan = plan_layout(kind, &all, counted);
	for (std::uint64_t length : lengths)
		counted[length] = 0;
	// Counting every draw value takes long on larger files; the unit tests take one.
	if (plan.size > 10000)
		return;
	std::string file = laid_out(&plan, lengths);
	fuzz_check(file.size() == plan.size, "a file of another size than planned");
	check_summary summary = check_file(file);
	fuzz_check(summary.printable == lengths.size(), "an entry that can never be printed");
	if (kind == layout_kind::weighted)
		return;
	std::uint64_t spread = summary.highest_weight - summary.lowest_weight;
	fuzz_check(spread == 0, "unequal chances");
	fuzz_check(plan.lead == all.longest || summary.values <= 2 * summary.total_weight,
		   "more than two draws a print with markers");
}

extern "C" int
LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
	check_file(std::string(reinterpret_cast<const char *>(data), size));
	check_layout(data, size);
	return 0;
}
