#include "entry_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "maker_files.h"
#include "reference_reader.h"
#include "system_file.h"

using namespace std::string_literals;

namespace
{

// What the checker found: every entry handed over, and the summary.
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
	std::string path = dir.write("entries", bytes);
	check_run run;
	int fd = file_open(path.c_str());
	EXPECT_GE(fd, 0);
	run.outcome =
	    check_entries(fd, static_cast<std::int64_t>(bytes.size()), collect, &run, &run.summary);
	file_close(fd);
	return run;
}

// The weight of every entry that some draw prints, found the plain way: every relative offset
// k is hit by the draw values with that remainder; a scan from it by the plain reader ends at
// the first byte of the entry it prints.
std::map<std::uint64_t, std::uint64_t>
counted_weights(const std::string &file)
{
	auto stretch = reference::drawable(file);
	std::size_t header_end = file.find('\0') + 1;
	auto length = static_cast<std::uint64_t>(stretch->length);
	std::vector<std::uint64_t> hits(length);
	if (length <= 32768) {
		for (std::uint64_t r = 0; r < 32768; r++)
			hits[r % length]++;
	} else {
		std::uint64_t values = UINT64_C(1) << 45;
		for (std::uint64_t k = 0; k < length; k++)
			hits[k] = values / length + (k < values % length);
	}
	// The entry each byte after the header belongs to.
	std::vector<std::uint64_t> entry_of(file.size() + 1);
	for (std::size_t i = header_end, index = 1; i < file.size(); i++) {
		entry_of[i] = index;
		index += file[i] == '\0';
	}
	std::map<std::uint64_t, std::uint64_t> weights;
	reference::scanner scan{file};
	for (std::uint64_t k = 0; k < length; k++)
		if (scan.entry_start(static_cast<std::size_t>(stretch->base) + k) >= 0)
			weights[entry_of[scan.pos - 1]] += hits[k];
	return weights;
}

// Entries of every kind across 64 KB blocks: leading whitespace, 0x1A inside and in front,
// CR LF, empty entries; every entry's start at a different place in its block.
std::string
blocks_of_mixed_entries()
{
	std::string file = std::string(50, 'h') + '\0';
	std::uint32_t state = 12345;
	while (file.size() < 2 * 65536 + 1000) {
		state = state * 1103515245u + 12345u;
		std::uint32_t pick = state >> 16;
		std::string entry(pick % 300, 'e');
		if (pick % 5 == 0)
			entry = "  \r\n\t" + entry;
		if (pick % 7 == 0)
			entry[entry.size() / 2] = '\x1A';
		if (pick % 11 == 0)
			entry = " \x1A" + entry;
		if (pick % 17 == 0)
			entry = "";
		file += entry + '\0';
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
	    maker_test::made_file({"one\n%\ntwo\n%\nthree\n"}, false),
	    maker_test::made_file({maker_test::entries_of_lengths({3, 60, 7, 200, 1, 45})}, true),
	    "h\0x\0  \x1A y\0z\0  "s,
	    std::string(50, 'h') + '\0' + "first\0 \x1A\0second a\x1A b\0\r\n third\r\n\0\0   "s,
	    std::string(39, 'h') + '\0' + "a\0b\r\n\0c"s,
	    std::string(40, 'h') + '\0' + "a\0b\r\n\0c"s,
	    blocks_of_mixed_entries(),
	};
	for (const auto &file : files) {
		check_run run = check(file);
		ASSERT_EQ(check_outcome::done, run.outcome);
		auto counted = counted_weights(file);
		std::map<std::uint64_t, std::uint64_t> weights;
		std::uint64_t total = 0, lowest = UINT64_MAX, highest = 0, lowest_entry = 0,
			      highest_entry = 0;
		for (const auto &[index, weight] : counted) {
			total += weight;
			if (weight < lowest)
				lowest = weight, lowest_entry = index;
			if (weight > highest)
				highest = weight, highest_entry = index;
		}
		for (const auto &entry : run.entries)
			if (entry.weight > 0)
				weights[entry.index] = entry.weight;
		EXPECT_EQ(counted, weights) << file.size() << " bytes";
		const check_summary &s = run.summary;
		EXPECT_EQ(run.entries.size(), s.entries);
		EXPECT_EQ(counted.size(), s.printable);
		EXPECT_EQ(total, s.total_weight);
		EXPECT_EQ(lowest, s.lowest_weight);
		EXPECT_EQ(lowest_entry, s.lowest_entry);
		EXPECT_EQ(highest, s.highest_weight);
		EXPECT_EQ(highest_entry, s.highest_entry);
	}
}

TEST(entry_check, why_entries_can_never_be_printed)
{
	const auto printable = entry_fate::printable, behind_header = entry_fate::behind_header,
		   blank_to_end = entry_fate::blank_to_end,
		   begins_with_1a = entry_fate::begins_with_1a;
	struct {
		std::string file;
		std::vector<entry_fate> fates;
	} cases[] = {
	    {"h\0x\0  \x1A y\0z\0  "s, {behind_header, begins_with_1a, printable, blank_to_end}},
	    {std::string(39, 'h') + '\0' + "a\0b"s, {behind_header, printable}},
	    {std::string(40, 'h') + '\0' + "a\0b"s, {printable, printable}},
	    {"h\0\x1A"s, {behind_header}},
	    {"h\0 \t"s, {behind_header}},
	    {std::string(45, 'h') + '\0' + "\r\n\x1A"s, {begins_with_1a}},
	    {std::string(45, 'h') + '\0' + "\r\n \r\n"s, {blank_to_end}},
	    // An empty entry prints as a bare line; the file's last NUL starts no entry.
	    {"h\0x\0\0 \0"s, {behind_header, printable, printable}},
	    {"h\0"s, {}},
	};
	for (const auto &c : cases) {
		check_run run = check(c.file);
		std::vector<entry_fate> fates;
		for (const auto &entry : run.entries)
			fates.push_back(entry.fate);
		EXPECT_EQ(c.fates, fates) << c.file.size() << " bytes";
		std::uint64_t never = static_cast<std::uint64_t>(
		    std::count_if(fates.begin(), fates.end(),
				  [](entry_fate fate) { return fate != entry_fate::printable; }));
		EXPECT_EQ(fates.size() - never, run.summary.printable);
	}
}

TEST(entry_check, files_without_a_separator)
{
	for (const auto &file : {""s, "no separator"s, "a\x1A\0b\0c"s, std::string(70000, 'h')})
		EXPECT_EQ(check_outcome::no_separator, check(file).outcome) << file.size();
}

// The text of an entry: its first 40 bytes after its leading whitespace, up to its end.
TEST(entry_check, texts)
{
	std::string across_blocks = std::string(65530, 'h') + '\0' + "    " + std::string(50, 'a');
	check_run run = check("h\0 \r\n x\0"s + std::string(45, 'b') + "\0\0\x1A y"s);
	std::vector<std::string> texts = {"x", std::string(40, 'b'), "", "\x1A y"};
	EXPECT_EQ(texts, run.texts);
	EXPECT_EQ(std::vector<std::string>{std::string(40, 'a')}, check(across_blocks).texts);
}
