#include "indentation.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

void
append(void *context, const char *bytes, std::size_t length)
{
	static_cast<std::string *>(context)->append(bytes, length);
}

// What the stored form of the entry restores to, fed to the restorer a byte at a time.
std::string
restored(const std::string &entry)
{
	bool blank;
	split_entry split = {entry.data(), entry.size(), 0, false, false, {}, false};
	split.lead = lead_of_bytes(reinterpret_cast<const unsigned char *>(entry.data()),
				   entry.size(), &blank);
	stored_entry stored = stored_form(&split);
	std::string form = (stored.spaced ? "\u00A0" : "") + entry.substr(stored.skip);
	EXPECT_EQ(stored.length, form.size()) << entry;
	std::string text;
	restorer r;
	restore_start(&r);
	for (char c : form)
		restore_piece(&r, &c, 1, append, &text);
	restore_end(&r, append, &text);
	return text;
}

} // namespace

// restore(store(x)) = x for every entry x that making keeps, from its first line that is not
// blank: every text of up to six bytes of whitespace, a letter and the no-break space's bytes.
TEST(indentation, restoring_the_stored_form_gives_the_entry)
{
	const std::string alphabet = " \t\n\f\ra\xC2\xA0";
	std::size_t kept = 0;
	for (std::size_t length = 1; length <= 6; length++) {
		std::string entry(length, ' ');
		for (std::size_t n = 0;; n++) {
			std::size_t k = n;
			for (char &c : entry) {
				c = alphabet[k % alphabet.size()];
				k /= alphabet.size();
			}
			if (k > 0)
				break;
			bool blank;
			entry_lead lead =
			    lead_of_bytes(reinterpret_cast<const unsigned char *>(entry.data()),
					  entry.size(), &blank);
			if (blank || lead.blank_lines > 0)
				continue;
			kept++;
			ASSERT_EQ(entry, restored(entry));
		}
	}
	EXPECT_GT(kept, 100000u);
}
