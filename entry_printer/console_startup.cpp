// The process entry of our console programs, in place of the C runtime's start-up code. CRTDLL
// set up its heap and the standard streams, in text mode, when Windows loaded it; all a program
// needs on top is its arguments and environment, and an end through exit, which runs the atexit
// functions and flushes the streams. Left out on purpose: global constructors and destructors
// (there are none), floating-point and locale set-up, TLS callbacks. Wildcards in the arguments
// are expanded for a program built with EXPAND_WILDCARDS=1, as cmd.exe leaves them to it.
#include <stdlib.h>

#ifndef EXPAND_WILDCARDS
#define EXPAND_WILDCARDS 0
#endif

// NOLINTNEXTLINE(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp): CRTDLL's name
extern "C" void __cdecl __GetMainArgs(int *argc, char ***argv, char ***environment,
				      int expand_wildcards);

int main(int argc, char **argv, char **envp);

// g++ calls __main at the top of main to run the global constructors; there are none.
extern "C" __attribute__((used)) void
__main() // NOLINT(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp): g++'s name
{
}

extern "C" void
mainCRTStartup()
{
	int argc;
	char **argv, **environment;
	__GetMainArgs(&argc, &argv, &environment, EXPAND_WILDCARDS);
	exit(main(argc, argv, environment));
}
