// The transfer tool's two command lines and what its run leaves behind, as text.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "base/text.h"

namespace tessel {

// CreateProcess takes at most 32,767 characters, terminator included.
inline constexpr std::size_t kCommandLineChars = 32766;
// The location and the file name each fit a 1,024-unit buffer, terminator included.
inline constexpr std::size_t kWidePieceUnits = 1023;

// Bounds of each run: a connection not made within 30 s, or 60 s without progress, fails it.
inline constexpr int kConnectTimeoutSeconds = 30;
inline constexpr int kStallSeconds = 60;

// Download into `partPath`, the response head into `headPath`. The tool path is quoted (a
// blank in "Program Files" must not split it); no configuration file; no globbing; http and
// https only. The location goes as UTF-8 with every byte that could end an argument or start
// another (controls, blank, double quote, DEL) or lies outside ASCII percent-encoded: the page
// can add no argument, and a tool that reads the ANSI code page gets it whole.
// Empty when a path holds a double quote or ends in a backslash, the tool path is empty,
// the location exceeds its buffer, or the line exceeds the platform's limit.
std::optional<WideString> FormatDownloadCommand(WideView toolPath, WideView headPath, WideView partPath,
                                                WideView locationUrl);
// DELETE base?file=name. The base (UTF-8, from the host) goes as given but for its bytes
// outside ASCII, percent-encoded; the name is encoded as the location is, and '&', '#' and
// '+' too (they would change the query's meaning; an encoding already there is kept).
std::optional<WideString> FormatDeleteCommand(WideView toolPath, std::string_view viewerBase, WideView fileName);

// A path that can stand in quotes and name a file: no double quote, no trailing separator.
bool IsQuotablePath(WideView path);

// The folder part of a path, separator included ("C:\out\" of "C:\out\r.xml", "" of "r.xml").
WideView FolderOf(WideView path);

// A working file's name, plain ASCII whatever the folder: "~tessel-<unique><extension>".
WideString WorkingFileName(std::string_view unique, std::string_view extension);

// For a name WorkingFileName gives ("~tessel-<digits>-<digits>.part" or ".head"), and for
// nothing else: the process id it begins with, the viewer whose run made it.
std::optional<unsigned long> WorkingFileOwner(WideView name);

// A folder from a drive's root or a share ("C:\x", "\\server\share"): the only kind a tool
// is run from. A relative one would be the host's current directory's.
bool IsAbsoluteFolder(WideView folder);

// The status of the last response in a header dump (interim 1xx answers come first), or
// empty when there is none.
std::optional<int> FinalStatus(std::string_view headerDump);

// Only an exit of 0 with a final 200 is the document: curl saves a 3xx body and exits 0.
bool IsDeliveredDocument(unsigned long toolExit, std::string_view headerDump);

}  // namespace tessel
