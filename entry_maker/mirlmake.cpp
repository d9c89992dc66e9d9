// mirlmake: makes entry files for mirl from text, and reports on the chances of the entries of
// any entry file.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "check_report.h"
#include "code_page.h"
#include "error_report.h"
#include "extract_text.h"
#include "make_file.h"
#include "system_calls.h"
#include "temporaries.h"

static const char usage_text[] =
    "usage: mirlmake [-l] [-k] [-p|-w] [-e CODEPAGE] [-o OUTPUT] [INPUT...]\n"
    "       mirlmake -c [-v] [-a] FILE\n"
    "       mirlmake -x [-e CODEPAGE] [-o OUTPUT] FILE\n";

// Ends the process with status 2 after the fault, with option in place of its %s, and the usage
// text: the arguments were not understood.
[[noreturn]] static void
refuse(const char *fault, const char *option)
{
	fprintf(stderr, fault, option);
	fputc('\n', stderr);
	fail_with_message(usage_text, 2);
}

// Ends the process after the help on standard output.
[[noreturn]] static void
help()
{
	printf("mirlmake makes an entry file for mirl from text, or reports on one.\n\n%s\n"
	       "  -o OUTPUT    write the entry file to OUTPUT, else to standard output\n"
	       "  -l           every line that is not blank is an entry\n"
	       "  -k           keep the text's bytes, as -x wrote them\n"
	       "  -p           pad every entry to the longest: a larger file, fewer draws\n"
	       "  -w           the compact layout, without equal chances\n"
	       "  -e CODEPAGE  store the entries in this code page: a number, ansi for\n"
	       "               Windows' own (the default), or oem for the console's (chcp)\n"
	       "  -c FILE      report which entries of FILE can be printed, and their chances\n"
	       "  -v           with -c, a line for every entry\n"
	       "  -a           with -c, count what every one of the 2^32 seeds prints\n"
	       "  -x FILE      write the entries of FILE back as text, to make it again\n"
	       "  -h, -?, /?   this help\n\n"
	       "INPUT is text in ANSI, UTF-8 or UTF-16, entries separated by lines of only %%;\n"
	       "- or none reads standard input. Options may follow the inputs; -- ends them.\n"
	       "The %% lines are found as written, before the text is stored in a code page.\n\n"
	       "An indented first line is stored behind a no-break space, which mirl prints\n"
	       "and -x turns back.\n\n"
	       "Layouts: by default every entry gets the same chance per draw, and mirl draws\n"
	       "at most twice a print on average. Debian's sayings make files 1.4 to 1.65\n"
	       "times their text above 32 KB, up to 2.9 times below. -p pads every entry to\n"
	       "the longest. With -w its chance follows the length of the entry before it.\n\n"
	       "example: mirlmake -o C:\\vemol\\data\\mirl.lines quotes.txt\n",
	       usage_text);
	exit(0);
}

// Which command an option belongs to.
enum class option_use : char { make, check, any };

// The options, each with what its value is when it takes one.
struct option_rule {
	char letter;
	option_use use;
	const char *value_fault; // null: it takes no value
};
static const option_rule option_rules[] = {
    {'o', option_use::make, "%s needs a file name"},
    {'e', option_use::make, "%s needs a code page"},
    {'l', option_use::make, nullptr},
    {'k', option_use::make, nullptr},
    {'p', option_use::make, nullptr},
    {'w', option_use::make, nullptr},
    {'c', option_use::check, nullptr},
    {'v', option_use::check, nullptr},
    {'a', option_use::check, nullptr},
    {'x', option_use::make, nullptr},
    {'h', option_use::any, nullptr},
    {'?', option_use::any, nullptr}, // as cmd's programs take /?
};

// What each option letter was given: its value, or "" for one that takes none; null when absent.
static const char *given_values[256];

static const char *&
given(char letter)
{
	return given_values[static_cast<unsigned char>(letter)];
}

static const option_rule *
rule_of(char letter)
{
	const option_rule *rule = option_rules;
	const option_rule *end = option_rules + sizeof option_rules / sizeof option_rules[0];
	while (rule != end && rule->letter != letter)
		rule++;
	return rule != end ? rule : nullptr;
}

// Takes the letters of argv[i] as getopt does: any number of options without a value, then
// perhaps one with its value in the rest of the argument or in the next. Returns the index of
// the last argument taken.
static int
take_options(int argc, char **argv, int i)
{
	if (argv[i][1] == '-')
		refuse("unknown option %s", argv[i]);
	for (const char *at = argv[i] + 1; *at != '\0'; at++) {
		char option[] = {'-', *at, '\0'};
		const option_rule *rule = rule_of(*at);
		if (rule == nullptr)
			refuse("unknown option %s", option);
		if (rule->use == option_use::any)
			help();
		if (rule->value_fault == nullptr) {
			given(*at) = "";
			continue;
		}
		if (at[1] == '\0' && i + 1 == argc)
			refuse(rule->value_fault, option);
		given(*at) = at[1] != '\0' ? at + 1 : argv[++i];
		break;
	}
	return i;
}

// The arguments that are no options: the inputs of making, the file of -c or -x.
struct operands {
	char **names;
	int count;
};

// Reads the options, wherever they stand; the operands are gathered at the front of argv, each
// moved no later than it is read.
static operands
read_arguments(int argc, char **argv)
{
	operands named = {argv + 1, 0};
	bool options_end = false;
	for (int i = 1; i < argc; i++) {
		const char *argument = argv[i];
		if (!options_end &&
		    (strcmp(argument, "/?") == 0 || strcmp(argument, "--help") == 0))
			help();
		if (!options_end && strcmp(argument, "--") == 0)
			options_end = true;
		else if (options_end || argument[0] != '-' || argument[1] == '\0')
			named.names[named.count++] = argv[i];
		else
			i = take_options(argc, argv, i);
	}
	return named;
}

// The one file that -c or -x takes.
static const char *
only_file(const operands *named, const char *option)
{
	if (named->count != 1)
		refuse("%s takes one file", option);
	return named->names[0];
}

// Refuses an option given to the command it does not belong to, and two layouts.
static void
check_options(bool check)
{
	for (const option_rule &rule : option_rules) {
		char option[] = {'-', rule.letter, '\0'};
		if (given(rule.letter) == nullptr)
			continue;
		if (rule.use == option_use::check && !check)
			refuse("%s goes with -c", option);
		if (rule.use == option_use::make && check)
			refuse("%s does not go with -c", option);
	}
	if (given('p') != nullptr && given('w') != nullptr)
		refuse("%s and -w cannot be combined", "-p");
}

// Chooses the code page to store entries in, or ends the process.
static void
use_code_page(const char *name)
{
	switch (choose_code_page(name)) {
	case code_page_choice::chosen:
		return;
	case code_page_choice::not_a_code_page:
		refuse("%s takes oem, ansi or the number of a code page", "-e");
	case code_page_choice::not_installed:
		fprintf(stderr, "code page %s is not installed\n", name);
		exit(2);
	case code_page_choice::not_ascii:
		fprintf(stderr, "code page %lu does not keep ASCII\n", code_page_number());
		exit(2);
	case code_page_choice::not_on_this_build:
		fail_with_message(
		    "-e: code pages are for the Windows build; this one stores UTF-8\n", 2);
	}
}

// The start-up hands every program its environment; mirlmake needs none.
int
main(int argc, char **argv, char ** /*environment*/)
{
	operands named = read_arguments(argc, argv);
	bool check = given('c') != nullptr;
	check_options(check);
	if (check) {
		report_entry_file(only_file(&named, "-c"), given('v') != nullptr,
				  given('a') != nullptr);
		return 0;
	}
	bool extract = given('x') != nullptr;
	if (extract && (given('l') != nullptr || given('k') != nullptr || given('p') != nullptr ||
			given('w') != nullptr))
		refuse("%s takes only -e and -o", "-x");
	const char *extracted = extract ? only_file(&named, "-x") : nullptr;
	// Making and -x both write a file, as bytes, in a code page.
	use_code_page(given('e'));
	remove_temporaries_at_end();
	binary_standard_streams();
	if (extract) {
		extract_text(extracted, given('o'));
		return 0;
	}
	make_options make = {};
	make.lines = given('l') != nullptr;
	make.as_kept = given('k') != nullptr;
	make.output = given('o');
	make.inputs = named.names;
	make.input_count = named.count;
	if (given('p') != nullptr)
		make.layout = layout_kind::padded;
	if (given('w') != nullptr)
		make.layout = layout_kind::weighted;
	make_entry_file(&make);
	return 0;
}
