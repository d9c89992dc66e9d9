#include "launch_rules.h"

// The 95 family sets bits 31 and 30 of the version word, NT clears bit 31; bit 31 alone is
// Win32s on Windows 3.1, which cannot run the main application.
int
platform_family(uint32_t version)
{
	if ((version & 0x80000000u) == 0)
		return platform_nt;
	if ((version & 0x40000000u) != 0)
		return platform_95;
	return platform_unsupported;
}

// Each family has its own build of the main application.
const char *
program_name(int family)
{
	return family == platform_95 ? "nolt.exe" : "noltnt.exe";
}
