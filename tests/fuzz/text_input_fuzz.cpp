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

// The entries handed over, and the pieces of the one in progress.
struct split_entries {
	std::vector<std::string> entries;
	std::string pieces;
};

static void
take_piece(void *context, const char *bytes, std::size_t length)
{
	static_cast<split_entries *>(context)->pieces.append(bytes, length);
}

static void
check_entry(void *context, const split_entry *entry)
{
	auto *split = static_cast<split_entries *>(context);
	std::string bytes =
	    entry->bytes != nullptr ? std::string(entry->bytes, entry->length) : split->pieces;
	split->pieces.clear();
	fuzz_check(bytes.size() == entry->length, "pieces that are not the entry");
	fuzz_check(bytes.find('\0') == std::string::npos && bytes.find('\x1A') == std::string::npos,
		   "an entry that holds a refused byte");
	if (entry->blank)
		return;
	// How it begins, by the plain rule: its first line that holds more than whitespace.
	std::size_t text = bytes.find_first_not_of(" \t\n\v\f\r");
	std::size_t line = bytes.rfind('\n', text) + 1; // 0 without one: npos + 1
	fuzz_check(
	    entry->lead.blank_lines == line && entry->lead.indent == text - line &&
		entry->lead.mixed ==
		    (bytes.substr(line, text - line).find_first_not_of(' ') != std::string::npos),
	    "an entry whose first line is not where the splitter found it");
	split->entries.push_back(bytes);
}

// Reads text as mirlmake does, in the encoding given for text without a byte order mark.
static input_result
read_text(const std::string &text, bool lines, input_text *read, std::vector<std::string> *entries)
{
	split_entries split;
	entry_splitter splitter = {};
	splitter.lines = lines;
	splitter.handler = check_entry;
	splitter.piece = take_piece;
	splitter.context = &split;
	input_result result = split_text(in_memory_file(text), &splitter, read);
	split_free(&splitter);
	*entries = split.entries;
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
