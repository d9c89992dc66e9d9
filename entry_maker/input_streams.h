#pragma once
// The inputs of mirlmake, told apart from the output and from each other by file identity
// before anything is read or written. An input that is the output is refused; one named twice
// is read once; one that cannot be read twice from its start (standard input, a pipe, a device)
// is copied into a spool in the system's temporary folder.

struct input_stream {
	const char *name; // in messages: as named, or stdin
	const char *path; // where both passes read it: the file named, or its spool
};

// Lists the inputs of count names (standard input when there are none, and for "-"), refusing
// one that is the output, and spools those that need it. Ends the process with the message and
// status of a refusal or a failure. Returns how many are kept, in *kept.
input_stream *open_inputs(char *const *names, int count, int *kept);
