// runnolt: starts the main application from the launcher's own directory with the launcher's
// arguments, or raises one that already runs. GUI subsystem without a window, so no console
// flashes up when a shortcut starts it.
#include <windows.h>

#include <malloc.h>
#include <stdio.h>
#include <stdlib.h>

#include "launch_rules.h"

// The rules take their lead-byte test from outside so that the native tests can fake one.
static int
is_lead_byte(unsigned char byte)
{
	return IsDBCSLeadByte(byte) != 0;
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
static void
find_own_directory(char directory[launcher_path_size])
{
	char path[launcher_path_size];
	DWORD length = GetModuleFileNameA(NULL, path, sizeof path);

	if (length == 0 || length >= sizeof path)
		exit(1);
	own_directory(path, directory, is_lead_byte);
}

// Restores a minimized main application and brings it to the front; returns 0 when none runs.
// SendMessageA returns once the window has handled the restore, before it is made foreground.
static int
raise_main_application(void)
{
	HWND window = FindWindowA("NOLT", NULL);

	if (window == NULL)
		return 0;
	if (IsIconic(window))
		SendMessageA(window, WM_SYSCOMMAND, SC_RESTORE, 0);
	SetForegroundWindow(window);
	return 1;
}

// Starts the main application hidden, handing on the launcher's handles, environment and
// current directory; ends with status 1 when it does not start. The full path goes in as the
// application name too, so that what starts never hangs on how Windows reads the command
// line's first word: read unquoted, C:\Program Files\...\noltnt.exe would start C:\Program.exe.
static PROCESS_INFORMATION
start_main_application(const char *directory, const char *program, const char *arguments)
{
	// The directory is shorter than launcher_path_size, the name at most 10 bytes.
	char application[launcher_path_size + 16];
	sprintf(application, "%s%s", directory, program);

	// The argument text is bounded by the platform's command-line limit, so the stack holds it.
	size_t size = command_buffer_size(directory, arguments);
	// cppcheck-suppress allocaCalled
	char *command_line = static_cast<char *>(alloca(size));
	compose_command_line(command_line, directory, program, arguments);

	STARTUPINFOA startup;
	ZeroMemory(&startup, sizeof startup);
	startup.cb = sizeof startup;
	startup.dwFlags = STARTF_USESHOWWINDOW;
	startup.wShowWindow = SW_HIDE;

	SECURITY_ATTRIBUTES process_security;
	process_security.nLength = sizeof process_security;
	process_security.lpSecurityDescriptor = NULL;
	process_security.bInheritHandle = FALSE;

	PROCESS_INFORMATION process;
	if (!CreateProcessA(
		application, command_line, &process_security,
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

int
launcher_main(const char *command_line)
{
	int family = check_platform();
	char directory[launcher_path_size];
	find_own_directory(directory);
	const char *program = program_name(family);

	struct launch_options options = read_options(argument_text(command_line, is_lead_byte));
	if (options.raise && raise_main_application())
		return 0;

	PROCESS_INFORMATION process = start_main_application(directory, program, options.rest);
	DWORD status = options.wait ? wait_for_exit_code(process.hProcess) : 0;
	CloseHandle(process.hThread);
	CloseHandle(process.hProcess);
	return (int)status;
}
