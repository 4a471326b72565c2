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

// Units that could end a quoted argument or start a new one on a command line (controls,
// blank, double quote, DEL) are percent-encoded, so a location can add no argument.
WideString EscapeCommandLineUrl(WideView text);

// A file name as a query value: '&', '#' and '+' would change the query's meaning and are
// percent-encoded; an encoding already present ("%26") is kept as it is.
WideString EncodeQueryValue(WideView name);

// Download into `partPath`, the response head into `headPath`. The tool path is quoted (a
// blank in "Program Files" must not split it); no configuration file; no globbing; http and
// https only.
// Empty when a piece holds a unit above U+00FF, a path holds a double quote or ends in a
// backslash, the location exceeds its buffer, or the line exceeds the platform's limit.
std::optional<std::string> FormatDownloadCommand(WideView toolPath, std::string_view headPath,
                                                 std::string_view partPath, WideView locationUrl);
// DELETE base?file=name. The base comes from the host and goes as given.
std::optional<std::string> FormatDeleteCommand(WideView toolPath, std::string_view viewerBase,
                                               WideView fileName);

// The output path refuses quoting when it holds a double quote or ends in a separator.
bool IsQuotablePath(std::string_view path);

// The folder part of a path, separator included ("C:\out\" of "C:\out\r.xml", "" of "r.xml").
std::string_view FolderOf(std::string_view path);

// A working file beside the output: same folder, so the final move is a rename.
std::string SiblingPath(std::string_view outputPath, std::string_view unique, std::string_view extension);

// A name SiblingPath gives ("~tessel-<digits>-<digits>.part" or ".head"), and nothing else.
bool IsWorkingFileName(std::string_view name);

// The status of the last response in a header dump (interim 1xx answers come first), or
// empty when there is none.
std::optional<int> FinalStatus(std::string_view headerDump);

// Only an exit of 0 with a final 200 is the document: curl saves a 3xx body and exits 0.
bool IsDeliveredDocument(unsigned long toolExit, std::string_view headerDump);

}  // namespace tessel
