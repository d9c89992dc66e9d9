// Stands in for the main application in the launcher's tests. It appends what it received to
// the file named by STAND_IN_RECORD, in UTF-8: its command line, each of its arguments, its
// module path (its folder and name) and its show state. STAND_IN_WINDOW makes it own a
// minimized top-level window of class "NOLT" and record the restore it is sent and whether it
// then became the foreground window; with STAND_IN_HANG too, that window never answers.
// STAND_IN_LINGER (milliseconds) keeps it alive; STAND_IN_EXIT is its exit code.
#include <windows.h>

#include <shellapi.h>
#include <stdio.h>
#include <stdlib.h>

enum { foreground_timer = 1, give_up_timer = 2 };

static HWND main_window;
static int foreground_polls;

// Appends one formatted line to the record file; the file is reopened for every line so the
// test sees each line as soon as it is written.
static void
record(const char *format, const char *text)
{
	const char *path = getenv("STAND_IN_RECORD");
	if (path == NULL)
		return;
	FILE *file = fopen(path, "ab");
	if (file == NULL)
		return;
	fprintf(file, format, text);
	fclose(file);
}

// Records one line of Unicode text.
static void
record_wide(const char *format, const wchar_t *text)
{
	// A command line of 32,767 UTF-16 characters takes at most three bytes each.
	static char utf8[3 * 32768];
	WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, NULL, NULL);
	record(format, utf8);
}

// Records what the launcher handed over at the start.
static void
record_start(void)
{
	wchar_t module[MAX_PATH + 1] = L"";
	GetModuleFileNameW(NULL, module, MAX_PATH);
	STARTUPINFOA startup;
	GetStartupInfoA(&startup);
	char show[64];
	snprintf(show, sizeof show, "flags %lu show %u", (unsigned long)startup.dwFlags,
		 (unsigned)startup.wShowWindow);

	record_wide("command line [%s]\n", GetCommandLineW());
	int count;
	wchar_t **arguments = CommandLineToArgvW(GetCommandLineW(), &count);
	for (int i = 1; i < count; i++)
		record_wide("argument [%s]\n", arguments[i]);
	record_wide("module [%s]\n", module);
	record("startup %s\n", show);
}

// Notes the restore, then polls for the foreground for up to two seconds; any outcome ends
// the program.
static LRESULT CALLBACK
window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
	if (message == WM_SYSCOMMAND && (wparam & 0xFFF0) == SC_RESTORE) {
		record("%s\n", "restore");
		SetTimer(window, foreground_timer, 20, NULL);
	} else if (message == WM_TIMER && wparam == foreground_timer) {
		int foreground = GetForegroundWindow() == window;
		if (foreground || ++foreground_polls == 100) {
			record("foreground %s\n", foreground ? "yes" : "no");
			PostQuitMessage(0);
		}
		return 0;
	} else if (message == WM_TIMER && wparam == give_up_timer) {
		record("%s\n", "no restore");
		PostQuitMessage(0);
		return 0;
	}
	return DefWindowProcA(window, message, wparam, lparam);
}

// Shows a minimized "NOLT" window and runs until the restore and foreground were seen.
static void
run_window(HINSTANCE instance)
{
	WNDCLASSA window_class;
	ZeroMemory(&window_class, sizeof window_class);
	window_class.lpfnWndProc = window_procedure;
	window_class.hInstance = instance;
	window_class.lpszClassName = "NOLT";
	RegisterClassA(&window_class);
	main_window = CreateWindowA("NOLT", "stand-in", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, NULL,
				    NULL, instance, NULL);
	ShowWindow(main_window, SW_MINIMIZE);
	SetTimer(main_window, give_up_timer, 20000, NULL);
	record("window %s\n", IsIconic(main_window) ? "minimized" : "shown");
	if (getenv("STAND_IN_HANG") != NULL)
		Sleep(INFINITE);

	MSG message;
	while (GetMessageA(&message, NULL, 0, 0) > 0)
		DispatchMessageA(&message);
}

int WINAPI
WinMain(HINSTANCE instance, HINSTANCE /* previous */, LPSTR /* command line */, int /* show */)
{
	record_start();
	if (getenv("STAND_IN_WINDOW") != NULL)
		run_window(instance);
	const char *linger = getenv("STAND_IN_LINGER");
	if (linger != NULL)
		Sleep(strtoul(linger, NULL, 10));
	const char *code = getenv("STAND_IN_EXIT");
	record("exit %s\n", code != NULL ? code : "0");
	return code != NULL ? (int)strtol(code, NULL, 10) : 0;
}
