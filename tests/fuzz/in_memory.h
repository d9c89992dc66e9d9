#pragma once
// What the fuzzers share: a stop at the first broken rule, and a file in memory to read.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

inline void
fuzz_check(bool condition, const char *what)
{
	if (!condition) {
		std::fprintf(stderr, "fuzz: %s\n", what);
		std::abort();
	}
}

// The descriptor of an in-memory file that holds bytes, read from its start. The one file
// serves every input, cut to size after the write so that its pages are kept.
inline int
in_memory_file(const std::string &bytes)
{
	static int fd = memfd_create("entry_file", MFD_CLOEXEC);
	fuzz_check(
	    pwrite(fd, bytes.data(), bytes.size(), 0) == static_cast<ssize_t>(bytes.size()) &&
		ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && lseek(fd, 0, SEEK_SET) == 0,
	    "cannot make the in-memory file");
	return fd;
}
