#pragma once

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
