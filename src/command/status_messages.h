#pragma once

#include <string>
#include <vector>

#include "convert/title_image.h"
#include "upload/serial_link.h"

// The lines the Convert/Upload command adds to the status list. The operator knows them by heart;
// they stay as they are, spelling included.
namespace marvek::status {

inline constexpr const char* kReady = "Ready...";
inline constexpr const char* kSelected = "Selected ";  // followed by the path
inline constexpr const char* kFileNotSelected = "File not selected !";
inline constexpr const char* kConverting = "Converting ";                   // followed by the path
inline constexpr const char* kIncorrect = " is incorrect for converting.";  // after the path
inline constexpr const char* kCannotBeRead = " cannot be read: ";           // after the path
inline constexpr const char* kConvertingAborted = "Converting aborted !";
inline constexpr const char* kConverted = "File successfull converted.";
inline constexpr const char* kReadAsUtf8 = "Title file read as UTF-8.";
inline constexpr const char* kReadAsUtf16 = "Title file read as UTF-16.";
inline constexpr const char* kReadAsIso8859_2 = "Title file read as ISO-8859-2.";
inline constexpr const char* kReadAsWindows1251 = "Title file read as Windows-1251.";
inline constexpr const char* kReadAsWindows1252 = "Title file read as Windows-1252.";
inline constexpr const char* kCyrillicInLatin = "Cyrillic letters written in Latin letters.";
inline constexpr const char* kLettersSimplified =
    "Letters and signs the display cannot show written as plain ones.";
// With repair, when the first title gave the film's frame rate: "Frame-rate line: 23.976 frames
// a second."
inline constexpr const char* kFrameRateLine = "Frame-rate line: ";
inline constexpr const char* kFramesASecond = " frames a second.";
// A DCP folder: "Titles read from 2 reels of the DCP."
inline constexpr const char* kReelsRead = "Titles read from ";
inline constexpr const char* kReelOfTheDcp = " reel of the DCP.";
inline constexpr const char* kReelsOfTheDcp = " reels of the DCP.";
// A rate the source gave: "Display's frame rate 24 taken from the DCP."
inline constexpr const char* kDisplayRate = "Display's frame rate ";
inline constexpr const char* kTakenFrom = " taken from ";
inline constexpr const char* kUploading = "Uploading...";
inline constexpr const char* kNoReply = "MCU not conected or serial frame wrong ! ";
inline constexpr const char* kSerialPortError = "Serial port error: ";  // followed by the reason
inline constexpr const char* kUploadAborted = "Upload aborted !";
inline constexpr const char* kUploaded = "File successfull uploaded.";
inline constexpr const char* kFinished = "Finised.";

}  // namespace marvek::status

namespace marvek {

// How a face tells its operator to mend what the core can only name, in the face's own terms
// (a list entry of the window, an option of the command line). Each hint that is not empty
// follows the core's reason on the same status line.
struct MendingHints {
  std::string portNamesNoPort = {};  // after `Port "Com" names no port: `
  // After `Line 1: this is a SubRip file, whose times need the display's frame rate; `, and the
  // same of an MPL2 file.
  std::string needsFrameRate = {};
  // A line of its own after a refused line that repair would leave out or mend.
  std::string repairMends = {};
};

// The status line that names the encoding a title file was read in; null for Windows-1250,
// which the status list does not name.
const char* ReadAsStatus(TextEncoding encoding);

// The lines after "X is incorrect for converting.": "Line N: " and the reason, with the face's
// hint where it has one.
std::vector<std::string> RefusalLines(const ConversionResult& refused, const MendingHints& hints);

// Why the conversion of the file at `path` gave nothing, as the status list says it before
// "Converting aborted !": the file that cannot be read, or the refused line with the face's
// hints. Nothing for a conversion the operator stopped. The command and the titles view both
// say it so.
std::vector<std::string> FailedConversionLines(const std::string& path,
                                               const ConversionResult& failed,
                                               const MendingHints& hints);

// The lines after "File successfull converted.": how the file was read, what was done to its
// letters, what repair did, and what was done with the times.
std::vector<std::string> ConvertedLines(const ConversionResult& converted,
                                        const ConversionOptions& options);

// Why `settings` cannot be used, with the face's hint where the port text names no port.
std::string UnusableLinkReason(const LinkSettings& settings, const MendingHints& hints);

}  // namespace marvek
