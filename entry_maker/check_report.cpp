#include "check_report.h"

#include <stdio.h>
#include <stdlib.h>

#include "entry_check.h"
#include "error_report.h"
#include "system_calls.h"
#include "system_file.h"

checked_file
open_entry_file(const char *path)
{
	checked_file file = {path, file_open(path), 0};
	if (file.fd < 0)
		fail_with_error(path, 1);
	// A pipe or a device has no size to measure, and may never end.
	if (!identity_of_stream(file.fd).regular) {
		fprintf(stderr, "%s: not a regular file\n", path);
		exit(2);
	}
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

// Why an entry can never be printed.
static const char *
reason(entry_fate fate)
{
	const char *reasons[] = {"", "behind a header of 40 bytes or fewer",
				 "blank to the end of the file", "begins with 0x1A"};
	return reasons[static_cast<int>(fate)];
}

// Prints an entry's line of the verbose report: its number and chance, or why it can never be
// printed, and its first bytes.
static void
print_entry_line(void *context, const checked_entry *entry)
{
	const check_summary *summary = static_cast<const check_summary *>(context);
	char text[check_text_room + 1];
	size_t length = entry->text_length;
	for (size_t i = 0; i < length; i++)
		text[i] = entry->text[i] < 0x20 ? ' ' : static_cast<char>(entry->text[i]);
	// A marker shows nothing but blanks.
	while (length > 0 && text[length - 1] == ' ')
		length--;
	text[length] = '\0';
	if (entry->fate == entry_fate::printable)
		printf("%7lu %8.4f%%  %s\n", static_cast<unsigned long>(entry->number),
		       percent(entry->weight, summary->total_weight), text);
	else
		printf("%19s%s%s(%s)\n", "", text, *text != '\0' ? "  " : "", reason(entry->fate));
}

// Ends the first line of the report: whether the entries that can be printed have equal
// chances, or how close they come.
static void
print_equality(const check_summary *summary)
{
	uint64_t spread = summary->highest_weight - summary->lowest_weight;
	if (summary->printable == 0)
		puts("");
	else if (spread == 0)
		puts(", with equal chances");
	else if (spread * 10000 <= summary->lowest_weight)
		printf(", with chances equal within 1 part in %.0f\n",
		       static_cast<double>(summary->lowest_weight) / static_cast<double>(spread));
	else
		puts(", with unequal chances");
}

void
report_unprintable(FILE *to, const check_summary *summary)
{
	if (summary->first_behind_header)
		fprintf(to, "the first entry can never be printed: %s\n",
			reason(entry_fate::behind_header));
	if (summary->begin_with_1a > 0)
		fprintf(to, "%lu %s never be printed: %s with 0x1A\n",
			static_cast<unsigned long>(summary->begin_with_1a),
			summary->begin_with_1a == 1 ? "entry can" : "entries can",
			summary->begin_with_1a == 1 ? "begins" : "begin");
	if (summary->last_blank_to_end)
		fprintf(to, "the last entry can never be printed: %s\n",
			reason(entry_fate::blank_to_end));
}

void
report_entry_file(const char *path, bool verbose)
{
	checked_file file = open_entry_file(path);
	check_summary summary, again;
	check_pass(&file, nullptr, nullptr, nullptr, &summary);
	// Each chance needs the total, so the lines per entry take a second pass.
	if (verbose)
		check_pass(&file, nullptr, print_entry_line, &summary, &again);
	printf("%s: %lu %s, %lu can be printed", path, static_cast<unsigned long>(summary.entries),
	       summary.entries == 1 ? "entry" : "entries",
	       static_cast<unsigned long>(summary.printable));
	print_equality(&summary);
	report_unprintable(stdout, &summary);
	if (summary.printable > 0) {
		printf("on average %.4f draws per print\n",
		       static_cast<double>(summary.values) /
			   static_cast<double>(summary.total_weight));
		printf("lowest chance %.4f%% (entry %lu), highest chance %.4f%% (entry %lu), "
		       "ratio %.4f\n",
		       percent(summary.lowest_weight, summary.total_weight),
		       static_cast<unsigned long>(summary.lowest_entry),
		       percent(summary.highest_weight, summary.total_weight),
		       static_cast<unsigned long>(summary.highest_entry),
		       static_cast<double>(summary.highest_weight) /
			   static_cast<double>(summary.lowest_weight));
	}
	file_close(file.fd);
	if (fflush(stdout) != 0 || ferror(stdout))
		fail_with_error("stdout", 1);
	if (summary.printable == 0)
		fail_with_message("File contains no entries.\n", 2);
}
