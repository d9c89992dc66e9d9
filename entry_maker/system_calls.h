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

// Moves the file at from to to, replacing any file there; false with errno set on failure.
bool replace_file(const char *from, const char *to);
