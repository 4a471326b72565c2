// A run's working files beside the output, and the paths curl and our own file calls take
// to them, as text.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "base/text.h"

namespace tessel {

// The working files of a run, by the names curl opens them: the response head, the body
// (the download's only) and curl's own message.
struct RunFiles {
    WideString head, part, log;
};

// The working files' names are at most this long; curl opens them in its current directory.
// A run's three are "<unique>.part", ".head" and ".log".
inline constexpr std::size_t kLongestWorkingName = 26;
// Where curl can run so that it opens its working files by plain relative names, which
// every build opens only within MAX_PATH: the folder (trailing separator included) when its
// working files fit, else its short form when that fits; nothing when neither does.
std::optional<WideString> CurlFolder(WideView folder, WideView shortForm);
// A full path in the form the file calls take beyond MAX_PATH ("\\?\C:\…", "\\?\UNC\srv\…");
// a path already in such a form, or not a full one, as it is.
WideString ExtendedLengthPath(WideView fullPath);
// The other way: the plain form of an extended-length path.
WideString PlainPath(WideView path);

// The folder part of a path, separator included ("C:\out\" of "C:\out\r.xml", "" of "r.xml").
WideView FolderOf(WideView path);

// A working file's name, plain ASCII whatever the folder: "~tessel-<unique><extension>".
WideString WorkingFileName(std::string_view unique, std::string_view extension);

// For a name WorkingFileName gives ("~tessel-<digits>-<digits>" and ".part", ".head" or ".log"), and for
// nothing else: the process id it begins with, the viewer whose run made it.
std::optional<unsigned long> WorkingFileOwner(WideView name);

// A folder from a drive's root or a share ("C:\x", "\\server\share"): the only kind curl is
// run from. A relative one would be the host's current directory's.
bool IsAbsoluteFolder(WideView folder);

}  // namespace tessel
