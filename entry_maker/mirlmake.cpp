// mirlmake: makes entry files for mirl from text, and reports on the chances of the entries of
// any entry file.
#include <string.h>

#include "check_report.h"
#include "error_report.h"
#include "make_file.h"
#include "system_calls.h"
#include "temporaries.h"

// Ends the process with the usage text: the arguments were not understood.
[[noreturn]] static void
usage()
{
	fail_with_message("usage: mirlmake [-l] [-w] [-o OUTPUT] [INPUT...]\n"
			  "       mirlmake -c [-v] FILE\n",
			  2);
}

int
main(int argc, char **argv)
{
	bool check = false, verbose = false;
	make_options options = {false, false, nullptr, nullptr, 0};
	// Options come first, each its own argument; the first other argument starts the inputs.
	int i = 1;
	for (; i < argc && argv[i][0] == '-' && argv[i][1] != '\0'; i++) {
		if (strcmp(argv[i], "-l") == 0)
			options.lines = true;
		else if (strcmp(argv[i], "-w") == 0)
			options.weighted = true;
		else if (strcmp(argv[i], "-c") == 0)
			check = true;
		else if (strcmp(argv[i], "-v") == 0)
			verbose = true;
		else if (strcmp(argv[i], "-o") == 0 && i + 1 < argc)
			options.output = argv[++i];
		else
			usage();
	}
	if (check) {
		if (options.lines || options.weighted || options.output != nullptr || argc - i != 1)
			usage();
		report_entry_file(argv[i], verbose);
		return 0;
	}
	if (verbose)
		usage();
	options.inputs = argv + i;
	options.input_count = argc - i;
	call_at_exit(remove_temporaries);
	binary_standard_streams();
	make_entry_file(&options);
	return 0;
}
