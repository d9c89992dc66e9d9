#include "counted_weights.h"

#include <algorithm>

#include "reference_reader.h"

// Found the plain way: the model gives the first byte of the entry that a scan from each offset
// prints, and the NULs in front of that byte give the entry's index.
entry_weights
counted_weights(const std::string &file)
{
	auto stretch = reference::drawable(file);
	auto length = static_cast<std::uint64_t>(stretch->length);
	// A draw takes the generator's 32768 values, value r falling on offset r mod length: every
	// offset has the quotient of 32768 over length, and those below the remainder one more.
	// Beyond, it scales the 2^32 states: offset k takes those from ceil(k * 2^32 / length) on.
	std::uint64_t each = length > 0 ? 32768 / length : 0;
	std::uint64_t more_below = length > 0 ? 32768 % length : 0;
	auto first_state = [length](std::uint64_t k) { return ((k << 32) + length - 1) / length; };
	// Kept from call to call: a fresh table for a large file costs more in page faults than
	// the pass that fills it.
	static std::vector<long> starts;
	reference::entry_starts(file, &starts);
	entry_weights weights;
	std::size_t counted_to = file.find('\0') + 1;
	std::uint64_t index = 1;
	// A run of offsets that lead to the same entry takes the values of its offsets at once.
	auto values_below = [&](std::uint64_t k) {
		return length <= 32768 ? k * each + std::min(k, more_below) : first_state(k);
	};
	for (std::uint64_t k = 0, end; k < length; k = end) {
		long first = starts[static_cast<std::size_t>(stretch->base) + k];
		for (end = k + 1; end < length &&
				  starts[static_cast<std::size_t>(stretch->base) + end] == first;)
			end++;
		if (first < 0)
			continue;
		for (; counted_to < static_cast<std::size_t>(first); counted_to++)
			index += file[counted_to] == '\0';
		std::uint64_t weight = values_below(end) - values_below(k);
		if (!weights.empty() && weights.back().first == index)
			weights.back().second += weight;
		else
			weights.emplace_back(index, weight);
	}
	return weights;
}
