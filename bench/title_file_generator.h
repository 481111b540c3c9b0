#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace marvek::bench {

// Writes a title file of about `bytes` bytes to `path`: lines such as
// {1200}{1275}Dobro ve\xE8e, gospo\xF0o|Kako ste?\r\n with Windows-1250 letters at about the rate
// of ordinary Croatian or Serbian text, texts of mixed lengths, now and then a formatting code,
// and titles that follow each other as in a film. The same seed gives the same file.
// Returns the number of lines, or 0 when the file cannot be written.
std::size_t WriteTitleFile(const std::string& path, std::size_t bytes, std::uint32_t seed = 1);

// The same, `lines` lines long.
std::size_t WriteTitleLines(const std::string& path, std::size_t lines, std::uint32_t seed = 1);

}  // namespace marvek::bench
