#pragma once
// The file calls of the entry-file code, over the platform's descriptors: CRTDLL's on Windows,
// POSIX elsewhere. Files are read as stored bytes, without any text-mode translation.

#include <stdint.h>

// Opens path for reading without denying others any access; -1 with errno set on failure.
int file_open(const char *path);

void file_close(int fd);

// Moves to offset from the start of the file; false with errno set on failure.
bool file_seek(int fd, int64_t offset);

// Moves to the end of the file and returns its size, or -1 with errno set. A size of 2^31 or
// more is returned as it is, but the descriptor may then stand anywhere.
int64_t file_seek_end(int fd);

// Reads up to size bytes: the count, 0 at the end of the file, or -1 with errno set.
long file_read(int fd, void *buffer, unsigned size);
