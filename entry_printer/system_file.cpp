#include "system_file.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>

#ifdef _WIN32
#include <io.h>
#include <share.h>
#include <windows.h>

int
file_open(const char *path)
{
	return _sopen(path, _O_RDONLY | _O_BINARY, _SH_DENYNO);
}

void
file_close(int fd)
{
	_close(fd);
}

// CRTDLL's _lseek takes and returns 32-bit positions.
bool
file_seek(int fd, int64_t offset)
{
	if (offset > INT32_MAX) {
		errno = EINVAL;
		return false;
	}
	return _lseek(fd, static_cast<long>(offset), SEEK_SET) >= 0;
}

// A 32-bit _lseek would show a file of 2^32 + 4096 bytes as 4096 bytes long, so the size comes
// from the system; only a size that fits is left to the seek.
int64_t
file_seek_end(int fd)
{
	DWORD high = 0;
	DWORD low = GetFileSize(reinterpret_cast<HANDLE>(_get_osfhandle(fd)), &high);
	bool known = low != INVALID_FILE_SIZE || GetLastError() == NO_ERROR;
	if (known && (high != 0 || low > INT32_MAX))
		return static_cast<int64_t>(high) << 32 | low;
	return _lseek(fd, 0, SEEK_END);
}

long
file_read(int fd, void *buffer, unsigned size)
{
	return _read(fd, buffer, size);
}
#else
#include <unistd.h>

int
file_open(const char *path)
{
	return open(path, O_RDONLY | O_CLOEXEC);
}

void
file_close(int fd)
{
	close(fd);
}

bool
file_seek(int fd, int64_t offset)
{
	return lseek(fd, offset, SEEK_SET) >= 0;
}

int64_t
file_seek_end(int fd)
{
	return lseek(fd, 0, SEEK_END);
}

long
file_read(int fd, void *buffer, unsigned size)
{
	return read(fd, buffer, size);
}
#endif
