// mirlmake: makes entry files for mirl from text.
#include <stdlib.h>
#include <string.h>

#include "error_report.h"
#include "make_file.h"
#include "system_calls.h"
#include "temporaries.h"

[[noreturn]] static void
usage()
{
	fail_with_message("usage: mirlmake [-l] [-w] [-o OUTPUT] [INPUT...]\n", 2);
}

int
main(int argc, char **argv)
{
	make_options options = {false, false, nullptr, nullptr, 0};
	// Options come first, each its own argument; the first other argument starts the inputs.
	int i = 1;
	for (; i < argc && argv[i][0] == '-' && argv[i][1] != '\0'; i++) {
		if (strcmp(argv[i], "-l") == 0)
			options.lines = true;
		else if (strcmp(argv[i], "-w") == 0)
			options.weighted = true;
		else if (strcmp(argv[i], "-o") == 0 && i + 1 < argc)
			options.output = argv[++i];
		else
			usage();
	}
	options.inputs = argv + i;
	options.input_count = argc - i;
	atexit(remove_temporaries);
	binary_standard_streams();
	make_entry_file(&options);
	return 0;
}
