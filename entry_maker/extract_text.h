#pragma once
// mirlmake -x: turns an entry file back into text that makes it again. The entries that mirl
// can print are written in file order, each followed by a "%" line, without the blanks that pad
// them and with a leading no-break space turned back into the blank or tab it stands for.

// Writes the text of the entry file at path to output, or to standard output when it is null;
// the reasons why other entries can never be printed go to standard error. Ends the process
// with the message and status of a failure, or when no entry can be printed.
void extract_text(const char *path, const char *output);
