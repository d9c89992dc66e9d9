#pragma once
// The calls of mirlmake that differ between Windows and POSIX.

#include <stdint.h>
#include <stdio.h>

// Puts standard input and output in binary mode: an entry file is bytes, and a CR LF in an
// entry must reach it unchanged.
void binary_standard_streams();

// Has function called when the process ends through exit or a return from main.
void call_at_exit(void (*function)());

// Has function called when the user or the system interrupts the process: Ctrl+C, Ctrl+Break or
// the console closed; natively SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGXFSZ, and SIGPIPE at a
// write to a closed output, each unless it is ignored. The process then ends as the platform
// ends an interrupted program. function may call only what is safe at any moment: natively it
// runs inside a signal handler, on Windows in a thread of its own while the main one goes on.
void call_on_interrupt(void (*function)());

// From now on an interrupt no longer ends the process, and the process goes on to end as it
// would have; should one have begun ending it already, waits for that.
void hold_interrupts();

// Closes what is open on stream and fd, either of which may be null or -1, at the system's level
// and safely at any moment, where the system cannot remove an open file: on Windows only.
void release_at_once(FILE *stream, int fd);

// Removes the file at path, safely at any moment.
void remove_at_once(const char *path);

// The id of this process, which keeps the temporaries of two runs apart.
uint32_t process_id();

// A count of milliseconds that only goes forward, wrapping at 2^32, for measuring a run.
uint32_t milliseconds_now();

// Whether the descriptor fd is a console (a terminal natively).
bool is_console(int fd);

// Whether path names a console (a terminal natively), as CON does.
bool names_console(const char *path);

// The keys that end text typed at the console.
const char *keyboard_end_keys();

// Whether text ends its lines with CR LF, as on Windows, or with LF.
#ifdef _WIN32
enum { crlf_text = 1 };
#else
enum { crlf_text = 0 };
#endif

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

// Creates a new file at path for writing, and never opens one that is there, nor follows a
// link there; null with errno set, EEXIST when the name is taken.
FILE *create_new_file(const char *path);

// The folder for files that only live as long as a run, ending in a separator or not.
const char *temporary_folder();

// Opens path for writing in place, into *stream, and returns true, when it names a device (NUL,
// CON, /dev/null) or a FIFO, which a rename would replace; *stream is null, with errno set, when
// that fails. Returns false for a regular file, a folder, or nothing.
bool open_in_place(const char *path, FILE **stream);

// The file that path names through any symbolic links, to be replaced in place of the link; a
// new string, or path itself when it is no link. Null, with errno set, for a link that leads
// nowhere.
const char *file_behind(const char *path);

// Gives the new file at stream the permissions of the file at old, where there is one.
void keep_permissions(FILE *stream, const char *old);

enum class replace_outcome { replaced, old_kept, old_gone };

// Moves the file at from to to, replacing any file there; on failure, with errno set, says
// whether the file that was at to is still there.
replace_outcome replace_file(const char *from, const char *to);
