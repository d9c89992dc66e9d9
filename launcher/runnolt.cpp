// runnolt: starts the main application from the launcher's own directory with the launcher's
// arguments, or raises one that already runs. GUI subsystem without a window, so no console
// flashes up when a shortcut starts it.
#include <windows.h>

#include <malloc.h>
#include <stdio.h>
#include <stdlib.h>

#include "launch_rules.h"

// The calls that read and start in one text form: ANSI on the 95 family, which has no other;
// Unicode on NT, whose ANSI text is made from the Unicode text by best fit, which turns a
// fullwidth quote into '"' (splitting an argument) and an Omega into 'O' (naming another file).
template <typename character, typename startup_record> struct text_calls {
	DWORD(WINAPI *module_file_name)(HMODULE, character *, DWORD);
	character *(WINAPI *command_line)(void);
	BOOL(WINAPI *create_process)
	(const character *, character *, SECURITY_ATTRIBUTES *, SECURITY_ATTRIBUTES *, BOOL, DWORD,
	 void *, const character *, startup_record *, PROCESS_INFORMATION *);
};

// The rules take their lead-byte test from outside so that the native tests can fake one.
static int
is_lead_byte(unsigned char byte)
{
	return IsDBCSLeadByte(byte) != 0;
}

// Finds a function outside the Windows 95 exports that the import list keeps to, so that the
// launcher loads on every system. Every system that calls one has it; without it, status 1.
template <typename function>
static void
find_function(function *found, const char *module, const char *name)
{
	FARPROC address = GetProcAddress(GetModuleHandleA(module), name);
	if (address == NULL)
		exit(1);
	*found = reinterpret_cast<function>(reinterpret_cast<void (*)(void)>(address));
}

// Win32s on Windows 3.1 reports itself like the 95 family with bit 30 clear; it cannot run
// the main application, so the launcher refuses before doing anything else.
static int
check_platform(void)
{
	int family = platform_family(GetVersion());

	if (family == platform_unsupported) {
		fputs("This Program can run only on Windows95/NT.\n", stderr);
		exit(1);
	}
	return family;
}

// A path that failed or filled the whole buffer may be cut short; splitting it could start
// some other program, so the launcher ends with status 1 instead.
template <typename character, typename startup_record>
static void
find_own_directory(const text_calls<character, startup_record> &calls,
		   character directory[launcher_path_size])
{
	character path[launcher_path_size];
	DWORD length = calls.module_file_name(NULL, path, launcher_path_size);

	if (length == 0 || length >= launcher_path_size)
		exit(1);
	own_directory(path, directory, is_lead_byte);
}

// Restores a minimized main application and brings it to the front; returns 0 when none runs.
// The restore is waited for, so that the window is restored before it comes to the front, but
// a few seconds at most: a main application that does not answer would otherwise hold this
// launcher, and one more for every click on a shortcut, for as long as it hangs.
static int
raise_main_application(void)
{
	enum { restore_timeout_ms = 3000 };
	HWND window = FindWindowA("NOLT", NULL);

	if (window == NULL)
		return 0;
	if (IsIconic(window)) {
		decltype(&SendMessageTimeoutA) send_message_timeout;
		find_function(&send_message_timeout, "USER32.DLL", "SendMessageTimeoutA");
		DWORD_PTR result;
		send_message_timeout(window, WM_SYSCOMMAND, SC_RESTORE, 0, SMTO_ABORTIFHUNG,
				     restore_timeout_ms, &result);
	}
	SetForegroundWindow(window);
	return 1;
}

// Starts the main application hidden, handing on the launcher's handles, environment and
// current directory; ends with status 1 when its path does not fit or it does not start. The
// full path goes in as the application name too, so that what starts never hangs on how
// Windows reads the command line's first word: read unquoted, C:\Program Files\...\noltnt.exe
// would start C:\Program.exe.
template <typename character, typename startup_record>
static PROCESS_INFORMATION
start_main_application(const text_calls<character, startup_record> &calls,
		       character path[launcher_path_size], const char *program,
		       const character *arguments)
{
	if (!join_program(path, program))
		exit(1);
	// The argument text is bounded by the platform's command-line limit, so the stack holds it.
	size_t size = command_buffer_size(path, arguments);
	// cppcheck-suppress allocaCalled
	character *command_line = static_cast<character *>(alloca(size * sizeof(character)));
	compose_command_line(command_line, path, arguments);

	startup_record startup;
	ZeroMemory(&startup, sizeof startup);
	startup.cb = sizeof startup;
	startup.dwFlags = STARTF_USESHOWWINDOW;
	startup.wShowWindow = SW_HIDE;

	SECURITY_ATTRIBUTES process_security;
	process_security.nLength = sizeof process_security;
	process_security.lpSecurityDescriptor = NULL;
	process_security.bInheritHandle = FALSE;

	PROCESS_INFORMATION process;
	if (!calls.create_process(
		path, command_line, &process_security,
		/* thread attributes */ NULL, /* inherit handles */ TRUE, /* creation flags */ 0,
		/* environment */ NULL, /* current directory */ NULL, &startup, &process))
		exit(1);
	return process;
}

// Returns the main application's exit code once it has ended, or 1 when the wait or the
// fetch fails: a code of 0 or STILL_ACTIVE would report an outcome that never happened.
static DWORD
wait_for_exit_code(HANDLE process)
{
	DWORD code;

	if (WaitForSingleObject(process, INFINITE) != WAIT_OBJECT_0)
		return 1;
	if (!GetExitCodeProcess(process, &code))
		return 1;
	return code;
}

// One run in one text form, from the own directory to the main application's status.
template <typename character, typename startup_record>
static int
launch(const text_calls<character, startup_record> &calls, int family)
{
	character path[launcher_path_size];
	find_own_directory(calls, path);

	struct launch_options<character> options =
	    read_options(argument_text(calls.command_line(), is_lead_byte));
	if (options.raise && raise_main_application())
		return 0;

	PROCESS_INFORMATION process =
	    start_main_application(calls, path, program_name(family), options.rest);
	DWORD status = options.wait ? wait_for_exit_code(process.hProcess) : 0;
	CloseHandle(process.hThread);
	CloseHandle(process.hProcess);
	return (int)status;
}

// The 95 family's calls, imported: Windows 95 has only these.
static text_calls<char, STARTUPINFOA>
ansi_calls(void)
{
	text_calls<char, STARTUPINFOA> calls = {GetModuleFileNameA, GetCommandLineA,
						CreateProcessA};
	return calls;
}

// NT's calls, looked up: the 95 family has no Unicode text to read or start.
static text_calls<wchar_t, STARTUPINFOW>
unicode_calls(void)
{
	text_calls<wchar_t, STARTUPINFOW> calls;
	find_function(&calls.module_file_name, "KERNEL32.DLL", "GetModuleFileNameW");
	find_function(&calls.command_line, "KERNEL32.DLL", "GetCommandLineW");
	find_function(&calls.create_process, "KERNEL32.DLL", "CreateProcessW");
	return calls;
}

int
launcher_main(void)
{
	int family = check_platform();
	return family == platform_nt ? launch(unicode_calls(), family)
				     : launch(ansi_calls(), family);
}
