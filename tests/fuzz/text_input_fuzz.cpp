// Fuzzes mirlmake's reading of text on in-memory inputs. The first byte of an input chooses
// "%" lines or a line an entry, and whether bytes kept are checked for UTF-8; the rest is the
// text. Checked on every input: reading ends in entries or a refusal, never a failed read,
// stays in bounds (the sanitizers watch), and every entry is handed over whole, free of the
// bytes that are refused, with the first line that is not blank where it is. Text kept as it
// is, read again behind a UTF-8 byte order mark, is split into the same entries with the same
// outcome, up to a fault in its UTF-8.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "in_memory.h"
#include "input_file.h"

static void
check_entry(void *context, const split_entry *entry)
{
	auto length = static_cast<std::size_t>(entry->length);
	fuzz_check(entry->bytes != nullptr, "an entry not gathered in room for the whole text");
	fuzz_check(std::memchr(entry->bytes, 0, length) == nullptr &&
		       std::memchr(entry->bytes, 0x1A, length) == nullptr,
		   "an entry that holds a refused byte");
	if (entry->blank)
		return;
	// How it begins, by the plain rule: its first line that holds more than whitespace.
	std::string bytes(entry->bytes, length);
	std::size_t text = bytes.find_first_not_of(" \t\n\v\f\r");
	std::size_t line = bytes.rfind('\n', text) + 1; // 0 without one: npos + 1
	bool indented = bytes[line] == ' ' || bytes[line] == '\t';
	fuzz_check(entry->lead.blank_lines == line &&
		       entry->lead.indent == (indented ? text - line : 0) &&
		       entry->lead.tab == (bytes[line] == '\t'),
		   "an entry whose first line is not where the splitter found it");
	static_cast<std::vector<std::string> *>(context)->push_back(bytes);
}

// Reads text as mirlmake does, in the encoding given for text without a byte order mark.
static input_result
read_text(const std::string &text, bool lines, input_text *read, std::vector<std::string> *entries)
{
	// UTF-16 stored as UTF-8 takes at most one and a half times its bytes.
	std::string kept(2 * text.size() + 2, '\0');
	entry_splitter splitter = {};
	splitter.lines = lines;
	splitter.handler = check_entry;
	splitter.context = entries;
	splitter.kept = kept.data();
	splitter.kept_room = kept.size();
	input_result result = split_text(in_memory_file(text), &splitter, read);
	fuzz_check(result.outcome != input_outcome::read_error, "an in-memory text failed to read");
	return result;
}

extern "C" int
LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
	if (size == 0)
		return 0;
	std::string text(reinterpret_cast<const char *>(data) + 1, size - 1);
	bool lines = (data[0] & 1) != 0;
	input_text kept = {};
	kept.encoding = text_encoding::bytes;
	kept.check_utf8 = (data[0] & 2) != 0;
	std::vector<std::string> kept_entries, decoded_entries;
	input_result kept_result = read_text(text, lines, &kept, &kept_entries);
	if (kept.encoding != text_encoding::bytes)
		return 0;
	input_text decoded = {};
	decoded.encoding = text_encoding::bytes;
	input_result decoded_result =
	    read_text("\xEF\xBB\xBF" + text, lines, &decoded, &decoded_entries);
	if (decoded_result.outcome == input_outcome::invalid_utf8) {
		fuzz_check(
		    decoded_entries.size() <= kept_entries.size() &&
			std::equal(decoded_entries.begin(), decoded_entries.end(),
				   kept_entries.begin()),
		    "entries in front of a UTF-8 fault that the bytes kept do not begin with");
		return 0;
	}
	fuzz_check(decoded_result.outcome == kept_result.outcome &&
		       decoded_result.line == kept_result.line && decoded_entries == kept_entries,
		   "UTF-8 split otherwise decoded than kept");
	return 0;
}
