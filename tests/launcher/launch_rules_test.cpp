#include "launch_rules.h"

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace
{

int
no_lead_bytes(unsigned char)
{
	return 0;
}

// Shift-JIS-like: 0x81..0x9F begin a double-byte character.
int
fake_lead_bytes(unsigned char byte)
{
	return byte >= 0x81 && byte <= 0x9F;
}

// The same text as wide characters, one for each byte.
std::wstring
widen(const std::string &text)
{
	std::wstring wide;
	for (unsigned char c : text)
		wide += wchar_t(c);
	return wide;
}

TEST(PlatformFamily, FromVersionWord)
{
	struct {
		uint32_t version;
		int family;
	} const cases[] = {
	    {0x00000004u, platform_nt},          // NT 4.0
	    {0x0A280105u, platform_nt},          // later NT builds
	    {0x40000000u, platform_nt},          // bit 30 alone does not count
	    {0xC0000004u, platform_95},          // Windows 95
	    {0xC0000A04u, platform_95},          // Windows 98
	    {0x80000A03u, platform_unsupported}, // Win32s
	    {0x80000000u, platform_unsupported},
	};
	for (const auto &c : cases)
		EXPECT_EQ(c.family, platform_family(c.version)) << std::hex << c.version;
	EXPECT_STREQ("nolt.exe", program_name(platform_95));
	EXPECT_STREQ("noltnt.exe", program_name(platform_nt));
}

TEST(ArgumentText, SkipsOwnNameAndBlanks)
{
	struct {
		const char *command_line;
		lead_byte_test is_lead;
		const char *expected;
	} const cases[] = {
	    {"runnolt.exe", no_lead_bytes, ""},
	    {"runnolt.exe ", no_lead_bytes, ""},
	    {"runnolt.exe a b", no_lead_bytes, "a b"},
	    {"C:\\bin\\runnolt.exe   -wait x ", no_lead_bytes, "-wait x "},
	    {"runnolt.exe\t\r\n\x01-raise", no_lead_bytes, "-raise"},
	    {"\"C:\\Program Files\\runnolt.exe\" file.txt", no_lead_bytes, "file.txt"},
	    {"\"C:\\a b\\runnolt.exe\"file.txt", no_lead_bytes, "file.txt"},
	    {"\"runnolt.exe\"", no_lead_bytes, ""},
	    {"\"\" x", no_lead_bytes, "x"},
	    // Never closed: the name runs to the end.
	    {"\"C:\\a b\\runnolt.exe x y", no_lead_bytes, ""},
	    // A trail byte equal to '"' belongs to its character, not to the quote.
	    {"\"C:\\\x81\"\\runnolt.exe\" x", fake_lead_bytes, "x"},
	    {"\"C:\\\x81\"\\runnolt.exe\" x", no_lead_bytes, "\\runnolt.exe\" x"},
	    // A lead byte right before the NUL does not carry the scan past it.
	    {"\"runnolt\x81", fake_lead_bytes, ""},
	    {"\"\x81", fake_lead_bytes, ""},
	    // Bytes above 0x7F are not blanks in an unquoted name.
	    {"run\xA0nolt.exe x", no_lead_bytes, "x"},
	};
	for (const auto &c : cases) {
		const char *text = argument_text(c.command_line, c.is_lead);
		EXPECT_EQ(std::string(c.expected), text) << c.command_line;
		// The result always points into the command line, at or before its NUL.
		EXPECT_LE(text, c.command_line + std::string(c.command_line).size());
	}
}

TEST(OwnDirectory, DriveAndDirectory)
{
	struct {
		const char *path;
		lead_byte_test is_lead;
		const char *expected;
	} const cases[] = {
	    {"C:\\Tools\\bin\\runnolt.exe", no_lead_bytes, "C:\\Tools\\bin\\"},
	    {"C:/Tools/bin/runnolt.exe", no_lead_bytes, "C:/Tools/bin/"},
	    {"C:\\Tools/bin\\x/runnolt.exe", no_lead_bytes, "C:\\Tools/bin\\x/"},
	    {"C:runnolt.exe", no_lead_bytes, "C:"},
	    {"C:", no_lead_bytes, "C:"},
	    {"runnolt.exe", no_lead_bytes, ""},
	    {"", no_lead_bytes, ""},
	    {"\\\\host\\share\\runnolt.exe", no_lead_bytes, "\\\\host\\share\\"},
	    {"tools\\runnolt.exe", no_lead_bytes, "tools\\"},
	    // The drive is taken by position only, so ':' elsewhere is plain text.
	    {"ab:\\runnolt.exe", no_lead_bytes, "ab:\\"},
	    // Trail bytes equal to '\' are no separators...
	    {"C:\\dir\\\x81\\runnolt.exe", fake_lead_bytes, "C:\\dir\\"},
	    {"C:\\\x81\\\x81\\x\\runnolt.exe", fake_lead_bytes, "C:\\\x81\\\x81\\x\\"},
	    // ...but are without a double-byte code page.
	    {"C:\\dir\\\x81\\runnolt.exe", no_lead_bytes, "C:\\dir\\\x81\\"},
	    // A lead byte before the NUL ends the scan.
	    {"C:\\dir\\\x81", fake_lead_bytes, "C:\\dir\\"},
	};
	for (const auto &c : cases) {
		char directory[launcher_path_size];
		own_directory(c.path, directory, c.is_lead);
		EXPECT_EQ(std::string(c.expected), directory) << c.path;
	}
}

// A wide character is never taken for its low byte: U+0122 for '"', U+0120 for a blank, U+015C
// for '\', U+012D for '-', U+0181 for a lead byte, whatever the lead-byte test says.
TEST(WideText, WholeCharacters)
{
	EXPECT_EQ(std::wstring(L"x"), argument_text(L"\"C:\\a\x0122\x0181\"x", fake_lead_bytes));
	EXPECT_EQ(std::wstring(L"x"), argument_text(L"r\x0120.exe x", fake_lead_bytes));
	wchar_t directory[launcher_path_size];
	own_directory(L"C:\\\x0181\\a\x015Cr.exe", directory, fake_lead_bytes);
	EXPECT_EQ(std::wstring(L"C:\\\x0181\\"), directory);
	EXPECT_EQ(0, read_options(L"\x012Draise").raise);
	std::wstring command_line(command_buffer_size(L"C:\\\x0120\\n.exe", L"a"), L'\xEE');
	compose_command_line(&command_line[0], L"C:\\\x0120\\n.exe", L"a");
	EXPECT_EQ(std::wstring(L"C:\\\x0120\\n.exe a"), command_line.c_str());
}

TEST(Options, RaiseThenWait)
{
	struct {
		const char *text;
		int raise;
		int wait;
		const char *rest;
	} const cases[] = {
	    {"", 0, 0, ""},
	    {"file.txt", 0, 0, "file.txt"},
	    {"-raise", 1, 0, ""},
	    {"-raise file.txt", 1, 0, " file.txt"},
	    {"-raisex", 1, 0, "x"},
	    {"-raise -wait x", 1, 0, " -wait x"},
	    {"-raise-wait x", 1, 1, " x"},
	    {"-wait", 0, 1, ""},
	    {"-wait x", 0, 1, " x"},
	    {"-wait -raise x", 0, 1, " -raise x"},
	    {"-waitfile.txt", 0, 1, "file.txt"},
	    {"-Raise x", 0, 0, "-Raise x"},
	    {"-WAIT x", 0, 0, "-WAIT x"},
	    {"-rais", 0, 0, "-rais"},
	    {"-wai", 0, 0, "-wai"},
	    {" -wait", 0, 0, " -wait"},
	};
	for (const auto &c : cases) {
		launch_options<char> options = read_options(c.text);
		EXPECT_EQ(c.raise, options.raise) << c.text;
		EXPECT_EQ(c.wait, options.wait) << c.text;
		EXPECT_EQ(std::string(c.rest), options.rest) << c.text;
	}
}

TEST(CommandLine, PathBlankArguments)
{
	struct {
		const char *path;
		const char *arguments;
		const char *expected;
	} const cases[] = {
	    {"C:\\Tools\\noltnt.exe", "", "C:\\Tools\\noltnt.exe "},
	    {"C:\\Tools\\nolt.exe", " file.txt", "C:\\Tools\\nolt.exe  file.txt"},
	    {"nolt.exe", "-Raise", "nolt.exe -Raise"},
	    {"C:\\Program Files\\noltnt.exe", " a", "\"C:\\Program Files\\noltnt.exe\"  a"},
	    {"C:\\Tools\\nolt\t.exe", "", "\"C:\\Tools\\nolt\t.exe\" "},
	    {"C:\\Tools!\\\xA0\\nolt.exe", "x", "C:\\Tools!\\\xA0\\nolt.exe x"},
	};
	for (const auto &c : cases) {
		// Exactly the size asked for, so that the sanitizers see a write past it.
		std::vector<char> buffer(command_buffer_size(c.path, c.arguments));
		EXPECT_EQ(0u, buffer.size() % 4);
		compose_command_line(buffer.data(), c.path, c.arguments);
		EXPECT_EQ(std::string(c.expected), buffer.data());

		std::wstring path = widen(c.path), arguments = widen(c.arguments);
		std::vector<wchar_t> wide(command_buffer_size(path.c_str(), arguments.c_str()));
		compose_command_line(wide.data(), path.c_str(), arguments.c_str());
		EXPECT_EQ(widen(c.expected), wide.data());
	}
}

// The program's name joins the directory only when both fit the path buffer with their NUL.
TEST(JoinProgram, WithinPathSize)
{
	for (size_t length = 240; length < launcher_path_size; length++) {
		for (const char *program : {"nolt.exe", "noltnt.exe"}) {
			std::string directory(length, 'd');
			std::vector<char> path(directory.begin(), directory.end());
			path.resize(launcher_path_size);
			int fits = join_program(path.data(), program);
			EXPECT_EQ(length + strlen(program) < launcher_path_size, fits != 0)
			    << length;
			EXPECT_EQ(fits ? directory + program : directory, path.data()) << length;
		}
	}
}

} // namespace
