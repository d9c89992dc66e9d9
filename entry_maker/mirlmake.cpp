// mirlmake: makes entry files for mirl from text, and reports on the chances of the entries of
// any entry file.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "check_report.h"
#include "code_page.h"
#include "error_report.h"
#include "make_file.h"
#include "system_calls.h"
#include "temporaries.h"

static const char usage_text[] =
    "usage: mirlmake [-l] [-p|-w] [-e CODEPAGE] [-o OUTPUT] [INPUT...]\n"
    "       mirlmake -c [-v] FILE\n";

// Ends the process with the usage text: the arguments were not understood.
[[noreturn]] static void
usage()
{
	fail_with_message(usage_text, 2);
}

// Ends the process after the help on standard output.
[[noreturn]] static void
help()
{
	printf("mirlmake makes an entry file for mirl from text, or reports on one.\n\n%s\n"
	       "  -o OUTPUT    write the entry file to OUTPUT, else to standard output\n"
	       "  -l           every line that is not blank is an entry\n"
	       "  -p           pad every entry to the longest: a larger file, one draw a print\n"
	       "  -w           the compact layout, without equal chances\n"
	       "  -e CODEPAGE  store the entries in this code page, or oem for the console's\n"
	       "  -c FILE      report which entries of FILE can be printed, and their chances\n"
	       "  -v           with -c, a line for every entry\n"
	       "  -h, /?       this help\n\n"
	       "INPUT is text in ANSI, UTF-8 or UTF-16, entries separated by lines of only %%;\n"
	       "- or none reads standard input. Options may follow the inputs; -- ends them.\n"
	       "The %% lines are found as written, before the text is stored in a code page.\n\n"
	       "Layouts: by default every entry gets the same chance, in a file close to the\n"
	       "size of the text, and mirl draws at most twice a print on average. -p pads\n"
	       "every entry to the length of the longest. With -w each is stored once, and\n"
	       "its chance follows the length of the entry before it.\n\n"
	       "example: mirlmake -o C:\\vemol\\data\\mirl.lines quotes.txt\n",
	       usage_text);
	exit(0);
}

// What the command line asks for.
struct command {
	bool check;
	bool verbose;
	const char *code_page; // null: the default
	make_options make;
};

// Takes a layout option; another one is not understood.
static void
choose_layout(command *c, layout_kind kind)
{
	if (c->make.layout != layout_kind::equal && c->make.layout != kind)
		usage();
	c->make.layout = kind;
}

// Takes the option argv[*i], and the value after it where it has one; ends the process with
// the help or the usage text.
static void
take_option(int argc, char **argv, int *i, command *c)
{
	const char *option = argv[*i];
	bool valued = strcmp(option, "-o") == 0 || strcmp(option, "-e") == 0;
	if (valued && *i + 1 == argc)
		usage();
	if (strcmp(option, "-l") == 0)
		c->make.lines = true;
	else if (strcmp(option, "-p") == 0)
		choose_layout(c, layout_kind::padded);
	else if (strcmp(option, "-w") == 0)
		choose_layout(c, layout_kind::weighted);
	else if (strcmp(option, "-c") == 0)
		c->check = true;
	else if (strcmp(option, "-v") == 0)
		c->verbose = true;
	else if (strcmp(option, "-o") == 0)
		c->make.output = argv[++*i];
	else if (strcmp(option, "-e") == 0)
		c->code_page = argv[++*i];
	else if (strcmp(option, "-h") == 0 || strcmp(option, "--help") == 0)
		help();
	else
		usage();
}

// Reads the options, wherever they stand; the inputs are gathered at the front of argv, each
// moved no later than it is read.
static command
read_command(int argc, char **argv)
{
	command c = {false, false, nullptr, {false, layout_kind::equal, nullptr, argv + 1, 0}};
	bool options_end = false;
	for (int i = 1; i < argc; i++) {
		const char *argument = argv[i];
		if (!options_end && strcmp(argument, "/?") == 0)
			help();
		if (!options_end && strcmp(argument, "--") == 0)
			options_end = true;
		else if (options_end || argument[0] != '-' || argument[1] == '\0')
			c.make.inputs[c.make.input_count++] = argv[i];
		else
			take_option(argc, argv, &i, &c);
	}
	return c;
}

// Chooses the code page to store entries in, or ends the process.
static void
use_code_page(const char *name)
{
	switch (choose_code_page(name)) {
	case code_page_choice::chosen:
		return;
	case code_page_choice::not_a_code_page:
		usage();
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

int
main(int argc, char **argv)
{
	command c = read_command(argc, argv);
	if (c.check) {
		if (c.make.lines || c.make.layout != layout_kind::equal ||
		    c.make.output != nullptr || c.code_page != nullptr || c.make.input_count != 1)
			usage();
		report_entry_file(c.make.inputs[0], c.verbose);
		return 0;
	}
	if (c.verbose)
		usage();
	use_code_page(c.code_page);
	call_at_exit(remove_temporaries);
	binary_standard_streams();
	make_entry_file(&c.make);
	return 0;
}
