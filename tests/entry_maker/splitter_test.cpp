#include "entry_splitter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace std::string_literals;

namespace
{

// What a split handed over, and the line of a refused byte (0 for none).
struct split_run {
	std::vector<std::string> entries; // " <- only %" marks a line that would separate entries
	std::vector<std::uint64_t> blank_lines;
	std::uint64_t refused_line = 0;
	std::vector<std::uint64_t> indented_lines;
	std::vector<std::string> leads; // blank lines' and indent's bytes, "m": more than blanks
	std::string pieces;             // of the entry in progress
};

void
collect_piece(void *context, const char *bytes, std::size_t length)
{
	static_cast<split_run *>(context)->pieces.append(bytes, length);
}

void
collect(void *context, const split_entry *entry)
{
	auto *run = static_cast<split_run *>(context);
	std::string bytes =
	    entry->bytes != nullptr ? std::string(entry->bytes, entry->length) : run->pieces;
	run->pieces.clear();
	EXPECT_EQ(entry->length, bytes.size());
	const entry_lead &lead = entry->lead;
	if (lead.indent > 0)
		run->indented_lines.push_back(entry->line);
	if (!entry->blank && (lead.blank_lines > 0 || lead.indent > 0))
		run->leads.push_back(std::to_string(lead.blank_lines) + "," +
				     std::to_string(lead.indent) + (lead.mixed ? "m" : ""));
	if (entry->blank && !entry->silent)
		run->blank_lines.push_back(entry->line);
	else if (!entry->blank)
		run->entries.push_back(bytes + (entry->only_percent ? " <- only %" : ""));
}

// Splits input fed in pieces of chunk bytes, as the reading loop feeds it; an empty read ends
// the input.
split_run
split(const std::string &input, bool lines, std::size_t chunk, bool unnumbered = false)
{
	split_run run;
	entry_splitter s = {};
	s.lines = lines;
	s.handler = collect;
	s.piece = collect_piece;
	s.context = &run;
	s.unnumbered = unnumbered;
	split_start(&s);
	for (std::size_t fed = 0, take = 1; take > 0; fed += take) {
		take = std::min(chunk, input.size() - fed);
		auto result =
		    split_block(&s, reinterpret_cast<const unsigned char *>(input.data() + fed),
				take, take == 0);
		if (result.outcome != split_outcome::ok) {
			run.refused_line = result.line;
			run.entries.push_back(result.outcome == split_outcome::nul_byte ? "NUL"
											: "1A");
			break;
		}
	}
	split_free(&s);
	return run;
}

} // namespace

// Each case split whole and in small pieces, so that entries and "%" lines span blocks. A
// refused byte ends the entries with "NUL" or "1A".
TEST(entry_splitter, entries_lines_and_refused_bytes)
{
	struct {
		std::string input;
		bool lines;
		std::vector<std::string> entries;
		std::vector<std::uint64_t> blank_lines;
		std::uint64_t refused_line;
		std::vector<std::uint64_t> indented_lines = {};
		std::vector<std::string> leads = {};
	} cases[] = {
	    {"a\n%\nb\n", false, {"a", "b"}, {}, 0},
	    // Files of this kind often begin and end with "%" lines.
	    {"%\na\n%\nb\n%\n", false, {"a", "b"}, {}, 0},
	    // Line ends are LF: a CR in front of one is the text's own, CR LF being folded.
	    {"two\r\nlines\n%\nx", false, {"two\r\nlines", "x"}, {}, 0},
	    // Only the one line end in front of the "%" line is left out.
	    {"a\n\n%\nb", false, {"a\n", "b"}, {}, 0},
	    {"a\n%", false, {"a"}, {}, 0},
	    {"a\n%\r", false, {"a\n%\r"}, {}, 0},
	    {"a%\n%x\n %\n%%\n%\nb", false, {"a%\n%x\n %\n%%", "b"}, {}, 0},
	    // Blanks and tabs after the "%" are unseen in an editor; a lone CR ends no line.
	    {"a\n% \t \nb\n%\t", false, {"a", "b"}, {}, 0},
	    {"a\n% x\n%  \r", false, {"a\n% x\n%  \r"}, {}, 0},
	    {"\t lead\n%\n\x80\xFF\r", false, {"\t lead", "\x80\xFF\r"}, {}, 0, {1}, {"0,2m"}},
	    {"", false, {}, {}, 0},
	    {"%\n%\n", false, {}, {2}, 0},
	    {"  \n%\nb", false, {"b"}, {1}, 0},
	    {"a\n%\n\r\n%\nb\n%\n\v\f\n", false, {"a", "b"}, {3, 7}, 0},
	    {"a\nb\n\n  \n c\n%\nlast",
	     true,
	     {"a", "b", " c", "% <- only %", "last"},
	     {},
	     0,
	     {5},
	     {"0,1"}},
	    {"\n\n\r\n\t\n", true, {}, {}, 0},
	    {"% \t\n%x\n%\r", true, {"% \t <- only %", "%x", "%\r"}, {}, 0},
	    {"a\nb\0c"s, false, {"NUL"}, {}, 2},
	    {"a\n%\nb\n\x1A", false, {"a", "1A"}, {}, 4},
	    {"  \n%\n\n\0"s, false, {"NUL"}, {1}, 4},
	    {"a\x1A\0"s, false, {"1A"}, {}, 1},
	    {"%\0\n"s, false, {"NUL"}, {}, 1},
	    {"ok\n\0\n"s, true, {"ok", "NUL"}, {}, 2},
	    // Entries that begin with blanks are warned of at their first line.
	    {"a\n b\n\tc\nd\n  e",
	     true,
	     {"a", " b", "\tc", "d", "  e"},
	     {},
	     0,
	     {2, 3, 5},
	     {"0,1", "0,1m", "0,2"}},
	    {"x\n%\n y\nz\n%\n\n%\n\tw\n%\n",
	     false,
	     {"x", " y\nz", "\tw"},
	     {6},
	     0,
	     {3, 8},
	     {"0,1", "0,1m"}},
	};
	for (const auto &c : cases)
		for (std::size_t chunk : {std::size_t{1}, std::size_t{2}, std::size_t{3},
					  std::size_t{5}, c.input.size() + 1}) {
			split_run run = split(c.input, c.lines, chunk);
			EXPECT_EQ(c.entries, run.entries) << c.input << ", pieces of " << chunk;
			EXPECT_EQ(c.blank_lines, run.blank_lines)
			    << c.input << ", pieces of " << chunk;
			EXPECT_EQ(c.refused_line, run.refused_line)
			    << c.input << ", pieces of " << chunk;
			EXPECT_EQ(c.indented_lines, run.indented_lines)
			    << c.input << ", pieces of " << chunk;
			EXPECT_EQ(c.leads, run.leads) << c.input << ", pieces of " << chunk;
			// Without lines, as the second pass splits, the same entries.
			EXPECT_EQ(c.entries, split(c.input, c.lines, chunk, true).entries)
			    << c.input << ", pieces of " << chunk << ", unnumbered";
		}
}
