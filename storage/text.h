// Record text: Windows-1252 bytes in fixed-length fields.
//
// Records hold Windows-1252 text; everything outside the storage layer (the
// UI, the command-line tool, CSV) speaks UTF-8.  These helpers convert at that
// boundary and give the fixed-length and comparison semantics of text fields.
// All functions are pure and thread-safe.
#pragma once

#include <string>
#include <string_view>

namespace vorlam {

// UTF-8 to Windows-1252.  Characters with no Windows-1252 form become '?'.
// Invalid UTF-8 bytes are taken as Windows-1252 bytes as they stand.
std::string utf8ToLatin1(std::string_view utf8);
// Windows-1252 to UTF-8.
std::string latin1ToUtf8(std::string_view latin1);

// Fixed-length assignment: cut to `width` bytes or pad with blanks.
std::string fitText(std::string_view text, size_t width);
// Text without trailing blanks (and without trailing NULs).
std::string_view clipText(std::string_view text);

// Upper-case of a Windows-1252 text, accented letters included (é -> É).
std::string upperLatin1(std::string_view text);

// Comparison used by every key and by text filters: trailing blanks ignored;
// letters compared without case and first without accents (so "Éder" sorts
// with "Eder", before "Fábio"); ties of the accent-free text are broken by
// the accents, so "João" and "Joao" are different values but "JOÃO" and
// "joão" are equal.  Returns <0, 0 or >0.
int compareText(std::string_view a, std::string_view b);

// The accent-free upper-case letter of a Windows-1252 byte ('ç' -> 'C').
unsigned char baseLetter(unsigned char c);

}  // namespace vorlam
