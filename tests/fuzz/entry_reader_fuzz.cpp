// Fuzzes the entry-file reader on in-memory files. The first four bytes of an input are the
// seed, the rest is the file. Checked on every input: the reader ends, stays in bounds (the
// sanitizers watch), finds "no entries" exactly when no offset can reach one, and prints what
// the plain redraw loop prints for the same seed.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "draw.h"
#include "entry_file.h"
#include "generator.h"
#include "in_memory.h"
#include "reference_reader.h"

// The in-memory file, opened by its path as the program opens its file.
static bool
open_in_memory(entry_stream *stream, const std::string &bytes, std::string *path)
{
	*path = "/proc/self/fd/" + std::to_string(in_memory_file(bytes));
	return stream_open(stream, path->c_str());
}

extern "C" int
LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
	std::uint32_t seed = 0;
	std::size_t seed_size = size < sizeof seed ? size : sizeof seed;
	std::memcpy(&seed, data, seed_size);
	std::string file(reinterpret_cast<const char *>(data) + seed_size, size - seed_size);

	std::string path;
	entry_stream stream;
	fuzz_check(open_in_memory(&stream, file, &path), "cannot make the in-memory file");
	header_outcome header = find_drawable_stretch(&stream);
	fuzz_check((header == header_outcome::found) == reference::drawable(file).has_value(),
		   "header scan disagrees with the model");
	if (header == header_outcome::found) {
		bool reachable = reference::reachable(file);
		auto expected = reachable ? reference::print(file, seed, 100000000) : std::nullopt;
		generator_seed(seed);
		scan_result result = draw_until_entry(&stream);
		fuzz_check(result.outcome != scan_outcome::read_error &&
			       result.outcome != scan_outcome::seek_failed,
			   "an in-memory file failed to read");
		fuzz_check((result.outcome == scan_outcome::entry) == reachable,
			   "no entries reported for a file with a reachable entry, or the reverse");
		if (result.outcome == scan_outcome::entry) {
			entry_text text;
			fuzz_check(read_entry(&stream, result.first_byte, &text) ==
				       read_outcome::complete,
				   "reading the entry failed");
			fuzz_check(expected.has_value() &&
				       *expected == std::string(text.bytes) + "\n",
				   "printed another entry than the plain redraw loop");
			std::free(text.bytes);
		}
	}
	stream_close(&stream);
	return 0;
}
