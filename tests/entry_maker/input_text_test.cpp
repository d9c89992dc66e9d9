#include "input_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "maker_files.h"
#include "system_file.h"

using namespace std::string_literals;

namespace
{

// What reading one input gave: the entries up to the end or the fault, and the fault's line.
struct read_run {
	std::vector<std::string> entries;
	std::string pieces; // of the entry in progress
	input_outcome outcome;
	std::uint64_t line;
};

void
collect_piece(void *context, const char *bytes, std::size_t length)
{
	static_cast<read_run *>(context)->pieces.append(bytes, length);
}

void
collect(void *context, const split_entry *entry)
{
	auto *run = static_cast<read_run *>(context);
	if (!entry->blank)
		run->entries.push_back(entry->bytes != nullptr
					   ? std::string(entry->bytes, entry->length)
					   : run->pieces);
	run->pieces.clear();
}

read_run
read_text(const std::string &bytes, text_encoding encoding)
{
	maker_test::scratch dir;
	int fd = file_open(dir.write("input", bytes).c_str());
	read_run run;
	entry_splitter splitter = {};
	splitter.handler = collect;
	splitter.piece = collect_piece;
	splitter.context = &run;
	input_text text = {};
	text.encoding = encoding;
	input_result result = split_text(fd, &splitter, &text);
	split_free(&splitter);
	file_close(fd);
	run.outcome = result.outcome;
	run.line = result.line;
	return run;
}

// Text as UTF-16 behind its byte order mark.
std::string
utf16(const std::u16string &units, bool little)
{
	std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
	for (char16_t unit : units) {
		char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
		bytes += little ? std::string{low, high} : std::string{high, low};
	}
	return bytes;
}

} // namespace

// Natively, entries are stored as UTF-8: decoded text is encoded again, text without a mark is
// kept as it is.
TEST(input_text, encodings_and_faults)
{
	const auto ok = input_outcome::ok;
	const std::string mark = "\xEF\xBB\xBF", many(65532, 'a');
	struct {
		std::string bytes;
		input_outcome outcome;
		std::uint64_t line;
		std::vector<std::string> entries;
		text_encoding encoding = text_encoding::bytes; // of text without a mark
	} cases[] = {
	    {mark + "\u00DCbung\r\n%\r\ncaf\u00E9", ok, 0, {"\u00DCbung", "caf\u00E9"}},
	    {"\u00DC\n%\n\u20AC", ok, 0, {"\u00DC", "\u20AC"}},
	    {"caf\xE9\n%\n\xC3(", ok, 0, {"caf\xE9", "\xC3("}},
	    // Stray bytes, a lead cut short by the end too, read as ANSI: natively ISO 8859-1.
	    {"\xC3\xA9\n%\n\xF6\xC3",
	     ok,
	     0,
	     {"\u00E9", "\u00F6\u00C3"},
	     text_encoding::utf8_and_ansi},
	    // Each CR LF is folded into a LF; a CR in front of one stays.
	    {"two\r\nlines\r\n%\r\nx\r\r\n% \t\r\ny", ok, 0, {"two\nlines", "x\r", "y"}},
	    {mark + "a\n%\nb\xC3(", input_outcome::invalid_utf8, 3, {"a"}},
	    {mark + "a\n%\xC0\xAF", input_outcome::invalid_utf8, 2, {}},
	    // Sequences that two blocks of 64 KiB cut in two.
	    {mark + many + "\u00E9", ok, 0, {many + "\u00E9"}},
	    {utf16(std::u16string(32766, u'a') + u"\U0001F600", true),
	     ok,
	     0,
	     {std::string(32766, 'a') + "\U0001F600"}},
	    {utf16(u"\u0416 \r\n%\r\n\u20AC\r\n%\t\r\n", true), ok, 0, {"\u0416 ", "\u20AC"}},
	    {utf16(u"x\n%\ny", false), ok, 0, {"x", "y"}},
	    {utf16(u"a\n%\nb", true) + "c", input_outcome::odd_length, 3, {"a"}},
	    {utf16(u"a\n%\n\xD83D b", true), input_outcome::unpaired_surrogate, 3, {"a"}},
	    {utf16(u"a\n%\n\xDE00", false), input_outcome::unpaired_surrogate, 3, {"a"}},
	    {utf16(u"a\n%\nb"s + u'\0', true), input_outcome::nul_byte, 3, {"a"}},
	    // A run of 0x1A at the very end is DOS's end mark, anywhere else a fault, also where a
	    // block ends inside it.
	    {"a\n%\nb\n\x1A", ok, 0, {"a", "b"}},
	    {utf16(u"a\x1A\x1A", true), ok, 0, {"a"}},
	    {"a\n\x1A\n", input_outcome::byte_1a, 2, {}},
	    {"a\n%\n" + many.substr(4) + std::string(8, '\x1A'), ok, 0, {"a", many.substr(4)}},
	    {"a\n%\n" + many.substr(4) + std::string(6, '\x1A') + "\nb",
	     input_outcome::byte_1a,
	     3,
	     {"a"}},
	    // Split as written, then stored: a fullwidth % is no separator.
	    {mark + "a\n\uFF05\nb", ok, 0, {"a\n\uFF05\nb"}},
	    // UTF-16 without a mark, as its NULs and line ends show, whatever characters it holds;
	    // NULs elsewhere, or line ends that are no UTF-16 units, keep the bytes.
	    {"\0x\0\n\0%\0\n\0y"s, ok, 0, {"x", "y"}},
	    {utf16(u"\u20AC\u2013\n%\n\u0416", true).substr(2), ok, 0, {"\u20AC\u2013", "\u0416"}},
	    {"x\0\n\0\0y"s, input_outcome::nul_byte, 1, {}},
	    {"a\nb\0c\n"s, input_outcome::nul_byte, 2, {}},
	};
	for (const auto &c : cases) {
		read_run run = read_text(c.bytes, c.encoding);
		std::string row = c.bytes.substr(0, 24);
		EXPECT_EQ(c.outcome, run.outcome) << row;
		EXPECT_EQ(c.line, run.line) << row;
		EXPECT_EQ(c.entries, run.entries) << row;
	}
}
