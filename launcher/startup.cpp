// runnolt.exe's process entry, in place of the C runtime's start-up code. CRTDLL set up its
// heap and standard streams when Windows loaded it; the launcher reads its command line itself,
// in the text form of its platform family, and ends through exit, which flushes standard
// error. Left out on purpose: the WinMain arguments (instance, show state: the launcher uses
// neither), argument splitting, global constructors and destructors (there are none), atexit
// tables, TLS callbacks.
#include <stdlib.h>

int launcher_main(void);

extern "C" void
WinMainCRTStartup()
{
	exit(launcher_main());
}
