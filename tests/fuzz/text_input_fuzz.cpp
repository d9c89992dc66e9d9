// Fuzzes mirlmake's reading of text on in-memory inputs. The first byte of an input chooses
// "%" lines or a line an entry, and whether bytes kept are checked for UTF-8; the rest is the
// text. Checked on every input: reading ends in entries or a refusal, never a failed read,
// stays in bounds (the sanitizers watch), and every entry is handed over whole, free of the
// bytes that are refused.
#include <cstdint>
#include <cstring>
#include <string>

#include "in_memory.h"
#include "input_file.h"

static void
check_entry(void * /* no context */, const split_entry *entry)
{
	auto length = static_cast<std::size_t>(entry->length);
	fuzz_check(entry->bytes != nullptr, "an entry not gathered in room for the whole text");
	fuzz_check(std::memchr(entry->bytes, 0, length) == nullptr &&
		       std::memchr(entry->bytes, 0x1A, length) == nullptr,
		   "an entry that holds a refused byte");
}

extern "C" int
LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
	if (size == 0)
		return 0;
	std::string text(reinterpret_cast<const char *>(data) + 1, size - 1);
	// UTF-16 stored as UTF-8 takes at most one and a half times its bytes.
	std::string kept(2 * text.size() + 2, '\0');
	entry_splitter splitter = {};
	splitter.lines = (data[0] & 1) != 0;
	splitter.handler = check_entry;
	splitter.kept = kept.data();
	splitter.kept_room = kept.size();
	input_text read = {};
	read.encoding = text_encoding::bytes;
	read.check_utf8 = (data[0] & 2) != 0;
	input_result result = split_text(in_memory_file(text), &splitter, &read);
	fuzz_check(result.outcome != input_outcome::read_error, "an in-memory text failed to read");
	return 0;
}
