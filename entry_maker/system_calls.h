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

// Whether a and b name one existing file, however each is spelled.
bool same_file(const char *a, const char *b);

enum class replace_outcome { replaced, old_kept, old_gone };

// Moves the file at from to to, replacing any file there; on failure, with errno set, says
// whether the file that was at to is still there.
replace_outcome replace_file(const char *from, const char *to);
