#pragma once
// The calls of mirlmake that differ between Windows and POSIX.

#include <stdint.h>

// Puts standard input and output in binary mode: an entry file is bytes, and a CR LF in an
// entry must reach it unchanged.
void binary_standard_streams();

// Has function called when the process ends through exit or a return from main.
void call_at_exit(void (*function)());

// The id of this process, which keeps the temporaries of two runs apart.
uint32_t process_id();

// Whether the descriptor fd is a console (a terminal natively).
bool is_console(int fd);

// The keys that end text typed at the console.
const char *keyboard_end_keys();

// Whether path names a folder.
bool is_folder(const char *path);

// What tells an open file from every other, taken once for each stream.
struct file_identity {
	bool known;   // volume and index hold it
	bool regular; // a file on disk, which can be read again from its start
	uint64_t volume;
	uint64_t index;
};

// The identity of what path names: not known when it cannot be opened.
file_identity identity_of_file(const char *path);

// The identity of the file open on the descriptor fd.
file_identity identity_of_stream(int fd);

// Whether a and b are one file, however each was named.
bool same_identity(const file_identity *a, const file_identity *b);

// The fopen mode that makes a new file for writing and never opens one that is there: a
// spool's name in a shared folder can be foreseen, and a link put there in its place must not
// be followed.
const char *new_file_mode();

// The folder for files that only live as long as a run, ending in a separator or not.
const char *temporary_folder();

enum class replace_outcome { replaced, old_kept, old_gone };

// Moves the file at from to to, replacing any file there; on failure, with errno set, says
// whether the file that was at to is still there.
replace_outcome replace_file(const char *from, const char *to);
