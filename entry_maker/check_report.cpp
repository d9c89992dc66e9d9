#include "check_report.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "entry_check.h"
#include "error_report.h"
#include "seed_walk.h"
#include "system_calls.h"
#include "system_file.h"

checked_file
open_entry_file(const char *path)
{
	checked_file file = {path, file_open(path), 0};
	if (file.fd < 0)
		fail_with_error(path, 1);
	// A pipe or a device has no size to measure, and may never end.
	if (!identity_of_stream(file.fd).regular)
		fail_with_fault(path, "not a regular file", 2);
	file.size = file_seek_end(file.fd);
	if (file.size < 0)
		fail_with_error(path, 1);
	return file;
}

void
check_pass(const checked_file *file, entry_bytes *taken, entry_checked *checked, void *context,
	   check_summary *summary)
{
	if (!file_seek(file->fd, 0))
		fail_with_error(file->path, 1);
	switch (check_entries_taking(file->fd, file->size, taken, checked, context, summary)) {
	case check_outcome::read_error:
		fail_with_error(file->path, 1);
	case check_outcome::no_nul:
		fprintf(stderr,
			"%s: not an entry file (no NUL); make one with mirlmake -o FILE %s\n",
			file->path, file->path);
		exit(2);
	case check_outcome::no_separator:
		fail_with_message("File contains no separators.\n", 2);
	case check_outcome::too_large:
		fail_with_message("File is too large.\n", 2);
	case check_outcome::done:
		break;
	}
}

// The chance of a weight in percent of the total.
static double
percent(uint64_t weight, uint64_t total)
{
	return total == 0 ? 0.0 : 100.0 * static_cast<double>(weight) / static_cast<double>(total);
}

// Why an entry that was written can never be printed.
static const char *
reason(entry_fate fate)
{
	return fate == entry_fate::behind_header ? "behind a header of 40 bytes or fewer"
						 : "begins with 0x1A";
}

// What the lines of the verbose report need: the summary, and the decimals of a chance.
struct verbose_report {
	const check_summary *summary;
	int decimals;
};

// Prints an entry's line of the verbose report: its number and chance, or why it can never be
// printed, and its first bytes. The parts of the layout have none.
static void
print_entry_line(void *context, const checked_entry *entry)
{
	if (is_layout_part(entry->fate))
		return;
	const verbose_report *report = static_cast<const verbose_report *>(context);
	char text[check_text_room + 1];
	size_t length = entry->text_length;
	for (size_t i = 0; i < length; i++)
		text[i] = entry->text[i] < 0x20 ? ' ' : static_cast<char>(entry->text[i]);
	while (length > 0 && text[length - 1] == ' ')
		length--;
	text[length] = '\0';
	int width = report->decimals + 4;
	if (is_printed(entry->fate))
		printf("%7lu %*.*f%%  %s\n", static_cast<unsigned long>(entry->number), width,
		       report->decimals, percent(entry->weight, report->summary->total_weight),
		       entry->fate == entry_fate::blank ? "(blank)" : text);
	else
		printf("%*s%s  (%s)\n", width + 11, "", text, reason(entry->fate));
}

// The decimals that tell the lowest chance in percent from the highest: four at least, and at
// most as many as a double holds.
static int
chance_decimals(const check_summary *s)
{
	char lowest[64], highest[64];
	int decimals = 4;
	for (; decimals < 15 && s->lowest_weight != s->highest_weight; decimals++) {
		sprintf(lowest, "%.*f", decimals, percent(s->lowest_weight, s->total_weight));
		sprintf(highest, "%.*f", decimals, percent(s->highest_weight, s->total_weight));
		if (strcmp(lowest, highest) != 0)
			break;
	}
	return decimals;
}

// How many entries of a fate the file holds.
static unsigned long
count_of(const check_summary *summary, entry_fate fate)
{
	return static_cast<unsigned long>(summary->of_fate[static_cast<int>(fate)]);
}

// The first line: the entries that were written and those of them that can be printed,
// whether their chances are equal or how close they come, and the draws per print.
static void
print_first_line(const char *path, const check_summary *s)
{
	unsigned long written = static_cast<unsigned long>(s->entries) -
				count_of(s, entry_fate::filler) - count_of(s, entry_fate::marker) -
				count_of(s, entry_fate::tail);
	printf("%s: %lu of %lu %s can be printed", path, static_cast<unsigned long>(s->printable),
	       written, written == 1 ? "entry" : "entries");
	if (s->printable == 0) {
		puts("");
		return;
	}
	uint64_t spread = s->highest_weight - s->lowest_weight;
	// Beyond 32768 offsets an entry gets its offsets' share of the 2^32 states, give or take
	// one: entries of as many offsets differ by that grain alone.
	bool grain = s->drawable > 32768 && s->fewest_offsets == s->most_offsets;
	if (spread == 0)
		fputs(", with equal chances per draw", stdout);
	else if (spread * 10000 <= s->lowest_weight || grain)
		printf(", with chances per draw equal within 1 part in %.0f",
		       static_cast<double>(s->lowest_weight) / static_cast<double>(spread));
	else
		fputs(", with unequal chances per draw", stdout);
	printf(", %.4f draws per print\n",
	       static_cast<double>(s->values) / static_cast<double>(s->total_weight));
}

// One line for what the layout adds and mirl skips, if anything.
static void
print_layout_parts(const check_summary *s)
{
	unsigned long markers = count_of(s, entry_fate::marker);
	bool filler = count_of(s, entry_fate::filler) > 0, tail = count_of(s, entry_fate::tail) > 0;
	if (!filler && markers == 0 && !tail)
		return;
	fputs("layout parts, which mirl skips:", stdout);
	const char *comma = " ";
	if (filler) {
		printf("%sthe filler", comma);
		comma = ", ";
	}
	if (markers > 0) {
		printf("%s%lu %s", comma, markers, markers == 1 ? "marker" : "markers");
		comma = ", ";
	}
	if (tail)
		printf("%sthe blank tail", comma);
	puts("");
}

void
report_unprintable(FILE *to, const check_summary *s)
{
	if (count_of(s, entry_fate::behind_header) > 0)
		fprintf(to, "the first entry can never be printed: %s\n",
			reason(entry_fate::behind_header));
	unsigned long with_1a = count_of(s, entry_fate::begins_with_1a);
	if (with_1a > 0)
		fprintf(to, "%lu %s never be printed: %s with 0x1A\n", with_1a,
			with_1a == 1 ? "entry can" : "entries can",
			with_1a == 1 ? "begins" : "begin");
	unsigned long blank = count_of(s, entry_fate::blank);
	if (blank > 0)
		fprintf(to, "%lu %s blank: mirl prints an empty line\n", blank,
			blank == 1 ? "entry is" : "entries are");
}

// Walks every seed, redraws included, and reports the lowest and highest share of them, and
// with verbose every entry's.
static void
report_all_seeds(const checked_file *file, const check_summary *summary, bool verbose)
{
	seed_walk walk;
	if (!start_walk(&walk, summary))
		fail_with_message("can't allocate more memory\n", 3);
	check_summary again;
	check_pass(file, nullptr, take_run, &walk, &again);
	walk_all_seeds(&walk);
	uint64_t lowest = 1, highest = 1;
	for (uint64_t n = 1; n <= summary->printable; n++) {
		double seeds = static_cast<double>(walk.runs[n].seeds);
		if (verbose)
			printf("%7lu %10.0f seeds %8.4f%%\n", static_cast<unsigned long>(n), seeds,
			       seeds / 42949672.96);
		lowest = walk.runs[n].seeds < walk.runs[lowest].seeds ? n : lowest;
		highest = walk.runs[n].seeds > walk.runs[highest].seeds ? n : highest;
	}
	printf("over all 4294967296 seeds, redraws included: lowest %.0f (entry %lu), "
	       "highest %.0f (entry %lu), ratio %.6f\n",
	       static_cast<double>(walk.runs[lowest].seeds), static_cast<unsigned long>(lowest),
	       static_cast<double>(walk.runs[highest].seeds), static_cast<unsigned long>(highest),
	       static_cast<double>(walk.runs[highest].seeds) /
		   static_cast<double>(walk.runs[lowest].seeds));
	free(walk.runs);
	free(walk.reach);
}

void
report_entry_file(const char *path, bool verbose, bool all_seeds)
{
	checked_file file = open_entry_file(path);
	check_summary summary, again;
	check_pass(&file, nullptr, nullptr, nullptr, &summary);
	print_first_line(path, &summary);
	print_layout_parts(&summary);
	report_unprintable(stdout, &summary);
	int decimals = chance_decimals(&summary);
	// Equal chances name no entry: any would do.
	if (summary.highest_weight != summary.lowest_weight)
		printf("lowest chance %.*f%% (entry %lu), highest chance %.*f%% (entry %lu), "
		       "ratio %.4f\n",
		       decimals, percent(summary.lowest_weight, summary.total_weight),
		       static_cast<unsigned long>(summary.lowest_entry), decimals,
		       percent(summary.highest_weight, summary.total_weight),
		       static_cast<unsigned long>(summary.highest_entry),
		       static_cast<double>(summary.highest_weight) /
			   static_cast<double>(summary.lowest_weight));
	// Each chance needs the total, so the lines per entry take a second pass.
	verbose_report report = {&summary, decimals};
	if (verbose)
		check_pass(&file, nullptr, print_entry_line, &report, &again);
	if (all_seeds && summary.printable > 0)
		report_all_seeds(&file, &summary, verbose);
	file_close(file.fd);
	if (fflush(stdout) != 0 || ferror(stdout))
		fail_with_error("stdout", 1);
	if (summary.printable == 0)
		fail_with_message("File contains no entries.\n", 2);
}
