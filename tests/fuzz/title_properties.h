#pragma once

#include <string>
#include <string_view>

namespace marvek::fuzz {

// Each check runs the code under test on arbitrary bytes and holds the answer against a plain
// reference written here, apart from the code it checks. A check returns an empty string when
// every property holds, and otherwise a sentence naming the first one that failed. The libFuzzer
// harnesses abort on such a sentence; the corpus replay test runs the saved inputs through the
// same checks in the normal test suite.

// The cut of one line into start, end and text.
std::string CheckTitleLine(std::string_view line);

// Both character modes, through ApplyCharMode, AppendCharMode and WriteCharMode.
std::string CheckCharModes(std::string_view text);

// The whole conversion of a title file's bytes in both modes, from memory; for one input in
// eight also from a file holding the same bytes, and the file's lines read through small blocks.
std::string CheckConversion(std::string_view bytes);

// Any bytes taken as a Windows-1250 title file and written out as UTF-8, as UTF-16 in both byte
// orders, and as ISO-8859-2 (each where it holds every letter of the file) convert to the very
// image of the original. The same bytes taken as a Windows-1252 file convert to the image of
// their characters written in UTF-8.
std::string CheckEncodingsKeepImage(std::string_view original);

// For the harnesses: prints a failed property and aborts, so that libFuzzer keeps the input.
void AbortIfFailed(const std::string& failure);

}  // namespace marvek::fuzz
