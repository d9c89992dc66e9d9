#include "entry_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "counted_weights.h"
#include "maker_files.h"
#include "system_file.h"

using namespace std::string_literals;

namespace
{

// What the checker found: every entry handed over, its text, and the summary.
struct check_run {
	check_outcome outcome;
	std::vector<checked_entry> entries;
	std::vector<std::string> texts;
	check_summary summary;
};

void
collect(void *context, const checked_entry *entry)
{
	auto *run = static_cast<check_run *>(context);
	run->entries.push_back(*entry);
	run->texts.emplace_back(reinterpret_cast<const char *>(entry->text), entry->text_length);
}

check_run
check(const std::string &bytes)
{
	maker_test::scratch dir;
	check_run run;
	int fd = file_open(dir.write("entries", bytes).c_str());
	run.outcome =
	    check_entries(fd, static_cast<std::int64_t>(bytes.size()), collect, &run, &run.summary);
	file_close(fd);
	return run;
}

// Entries of every kind across 64 KB blocks: leading whitespace, 0x1A inside and in front,
// CR LF, empty entries; each entry's start at another place in its block.
std::string
blocks_of_mixed_entries()
{
	std::string file = std::string(50, 'h') + '\0';
	for (std::uint32_t state = 12345; file.size() < 2 * 65536 + 1000;) {
		state = state * 1103515245u + 12345u;
		std::uint32_t pick = state >> 16;
		std::string entry(pick % 300, 'e');
		if (pick % 7 == 0)
			entry[entry.size() / 2] = '\x1A';
		entry = (pick % 5 == 0 ? "  \r\n\t" : "") + entry;
		entry = (pick % 11 == 0 ? " \x1A" : "") + entry;
		file += (pick % 17 == 0 ? "" : entry) + '\0';
	}
	return file + "  \r\n";
}

} // namespace

// The checker's weights are those of counting every draw value, entry by entry, and its
// summary follows from them.
TEST(entry_check, weights_are_those_of_counting_every_draw)
{
	std::string files[] = {
	    maker_test::read_file(SAMPLE_FILE),
	    maker_test::made_file({"one\n%\ntwo\n%\nthree\n"}, layout_kind::padded),
	    maker_test::made_file({maker_test::percent_separated(
				      maker_test::entries_of_lengths({3, 60, 7, 200, 1, 45}))},
				  layout_kind::weighted),
	    maker_test::made_file({maker_test::percent_separated(maker_test::entries_of_lengths(
				      {300, 5, 6, 7, 900, 5, 6, 7, 5, 6, 7, 5, 6, 7, 5, 600}))},
				  layout_kind::equal),
	    std::string(50, 'h') + '\0' + "first\0 \x1A\0second a\x1A b\0\r\n third\r\n\0\0   "s,
	    std::string(39, 'h') + '\0' + "a\0b\r\n\0c"s,
	    blocks_of_mixed_entries(),
	};
	for (const auto &file : files) {
		check_run run = check(file);
		ASSERT_EQ(check_outcome::done, run.outcome);
		auto counted = counted_weights(file);
		entry_weights weights;
		for (const auto &entry : run.entries)
			if (entry.weight > 0)
				weights.emplace_back(entry.index, entry.weight);
		EXPECT_EQ(counted, weights) << file.size() << " bytes";
		// The report numbers the printable entries only.
		std::uint64_t total = 0, lowest = UINT64_MAX, highest = 0, lowest_entry = 0,
			      highest_entry = 0, number = 0;
		for (const auto &entry : counted) {
			std::uint64_t weight = entry.second;
			total += weight;
			number++;
			if (weight < lowest)
				lowest = weight, lowest_entry = number;
			if (weight > highest)
				highest = weight, highest_entry = number;
		}
		const check_summary &s = run.summary;
		EXPECT_EQ(
		    (std::vector<std::uint64_t>{run.entries.size(), counted.size(), total, lowest,
						lowest_entry, highest, highest_entry}),
		    (std::vector<std::uint64_t>{s.entries, s.printable, s.total_weight,
						s.lowest_weight, s.lowest_entry, s.highest_weight,
						s.highest_entry}));
	}
}

// What each entry is to a user: printed, a fault, or a part of the layout; across blocks too.
TEST(entry_check, fates)
{
	const auto printable = entry_fate::printable, blank = entry_fate::blank,
		   behind_header = entry_fate::behind_header,
		   begins_with_1a = entry_fate::begins_with_1a, filler = entry_fate::filler,
		   marker = entry_fate::marker, tail = entry_fate::tail;
	const auto done = check_outcome::done, no_separator = check_outcome::no_separator,
		   no_nul = check_outcome::no_nul;
	const std::string near_block_end = std::string(65530, 'h') + '\0';
	struct {
		std::string file;
		check_outcome outcome;
		std::vector<entry_fate> fates;
	} cases[] = {
	    {"h\0x\0  \x1A y\0z\0 \x1A \0  "s,
	     done,
	     {behind_header, begins_with_1a, printable, marker, tail}},
	    {"h\0  \0a\0\x1A\x1A\0b\0 \r\n\0"s,
	     done,
	     {filler, printable, begins_with_1a, printable, blank}},
	    {std::string(39, 'h') + '\0' + "a\0b"s, done, {behind_header, printable}},
	    {std::string(40, 'h') + '\0' + "a\0b"s, done, {printable, printable}},
	    {"h\0\x1A"s, done, {behind_header}},
	    {std::string(45, 'h') + '\0' + "\r\n\x1A"s, done, {marker}},
	    {std::string(45, 'h') + '\0' + "\r\n \r\n"s, done, {tail}},
	    {near_block_end + "\x1A" + std::string(20, ' ') + "\0x"s, done, {marker, printable}},
	    {near_block_end + "\x1A" + std::string(20, ' ') + "y\0x"s,
	     done,
	     {begins_with_1a, printable}},
	    // An empty entry prints as a bare line; the file's last NUL starts no entry.
	    {"h\0x\0\0 \0"s, done, {behind_header, blank, blank}},
	    {"h\0"s, done, {}},
	    {"no separator", no_nul, {}},
	    {"a\x1A\0b\0c"s, no_separator, {}},
	    {std::string(70000, 'h') + "\x1A", no_nul, {}},
	};
	for (const auto &c : cases) {
		check_run run = check(c.file);
		std::vector<entry_fate> fates;
		for (const auto &entry : run.entries)
			fates.push_back(entry.fate);
		EXPECT_EQ(c.outcome, run.outcome) << c.file.size() << " bytes";
		EXPECT_EQ(c.fates, fates) << c.file.size() << " bytes";
	}
}

// An entry's text: its first 40 bytes after its leading whitespace, up to its end.
TEST(entry_check, texts)
{
	check_run run = check("h\0 \r\n x\0"s + std::string(45, 'b') + "\0\0\x1A y"s);
	EXPECT_EQ((std::vector<std::string>{"x", std::string(40, 'b'), "", "\x1A y"}), run.texts);
	std::string across_blocks = std::string(65530, 'h') + '\0' + "    " + std::string(50, 'a');
	EXPECT_EQ(std::vector<std::string>{std::string(40, 'a')}, check(across_blocks).texts);
}
