#include "launch_rules.h"

#include <string>

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

// A module path of drive, directory and name, where the directory is `body` and a '\'.
std::string
long_path(const std::string &body)
{
	return "C:" + body + "\\runnolt.exe";
}

TEST(OwnDirectory, LongDirectoryIsCut)
{
	const std::string a253(253, 'a');
	struct {
		std::string body; // directory without its final '\'
		lead_byte_test is_lead;
		std::string expected; // directory after the drive
	} const cases[] = {
	    {std::string(254, 'a'), no_lead_bytes, std::string(254, 'a') + "\\"},
	    {std::string(255, 'a'), no_lead_bytes, std::string(255, 'a')},
	    {std::string(256, 'a'), no_lead_bytes, std::string(255, 'a')},
	    {std::string(250, 'a'), no_lead_bytes, std::string(250, 'a') + "\\"},
	    // The 255th byte begins a double-byte character: it is left out with its trail.
	    {a253 + "b\x81\x40" + "c", fake_lead_bytes, a253 + "b"},
	    // The 255th byte is a trail byte in the lead range: the character stays whole.
	    {a253 + "\x81\x81" + "c", fake_lead_bytes, a253 + "\x81\x81"},
	    // The same bytes without a double-byte code page are cut at 255.
	    {a253 + "b\x81\x40" + "c", no_lead_bytes, a253 + "b\x81"},
	};
	for (const auto &c : cases) {
		char directory[launcher_path_size];
		own_directory(long_path(c.body).c_str(), directory, c.is_lead);
		EXPECT_EQ("C:" + c.expected, directory) << c.body.size();
	}
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
		struct launch_options options = read_options(c.text);
		EXPECT_EQ(c.raise, options.raise) << c.text;
		EXPECT_EQ(c.wait, options.wait) << c.text;
		EXPECT_EQ(std::string(c.rest), options.rest) << c.text;
	}
}

TEST(CommandLine, DirectoryProgramBlankArguments)
{
	struct {
		const char *directory;
		const char *program;
		const char *arguments;
		const char *expected;
	} const cases[] = {
	    {"C:\\Tools\\", "noltnt.exe", "", "C:\\Tools\\noltnt.exe "},
	    {"C:\\Tools\\", "nolt.exe", " file.txt", "C:\\Tools\\nolt.exe  file.txt"},
	    {"", "nolt.exe", "-Raise", "nolt.exe -Raise"},
	    {"C:\\Program Files\\", "noltnt.exe", " a", "\"C:\\Program Files\\noltnt.exe\"  a"},
	    {"C:\\Tools\\", "nolt\t.exe", "", "\"C:\\Tools\\nolt\t.exe\" "},
	    {"C:\\Tools!\\\xA0\\", "nolt.exe", "x", "C:\\Tools!\\\xA0\\nolt.exe x"},
	};
	for (const auto &c : cases) {
		size_t size = command_buffer_size(c.directory, c.arguments);
		EXPECT_EQ(0u, size % 4);
		EXPECT_GT(size, std::string(c.expected).size());
		std::string buffer(size, '\xEE');
		compose_command_line(&buffer[0], c.directory, c.program, c.arguments);
		EXPECT_EQ(std::string(c.expected), buffer.c_str());
	}
	EXPECT_EQ(260u, command_buffer_size("", ""));
	EXPECT_EQ(268u, command_buffer_size("C:\\a\\", "xyz"));
	EXPECT_EQ(272u, command_buffer_size("C:\\a\\", "wxyz"));
}

} // namespace
