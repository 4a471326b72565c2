// The Windows operations behind the portable logic, one function each.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <optional>
#include <string>

#include "events/process_win.h"
#include "params/parameter_map.h"
#include "winui/win_types.h"

namespace tessel {

// Parameter file by wide name, byte mode, others may read and write meanwhile.
// True whenever the file opened; a directory or a missing file gives false.
bool ReadParameterFile(const WideString& path, ParameterMap& map);

// Map bytes to wide text with the thread's ANSI code page, up to the first NUL.
WideString ThreadAcpToWide(std::string_view bytes);
// iswspace and GetStringTypeW, the platform's own classifications.
bool PlatformIsWideSpace(char16_t c);
bool PlatformIsSpaceAbove00FF(char16_t c);

// Input document as post data and its header line; both empty when it can't be read.
bool LoadPostData(ParameterMap& params, VARIANT& postData, VARIANT& headers);

// An HTTP-layer error that the login does not handle itself.
struct InternetError {
    DWORD code;
};
// GET /wt4/login on port 80 of host; true only for status 200. Throws InternetError.
bool LoginToServer(const WideString& host);
// The text the HTTP layer has for an error code, or empty.
WideString InternetErrorText(DWORD code);

// REG_SZ value on the native view, cut at its first NUL; empty on any failure.
WideString ReadRegistryString(HKEY root, const WideString& keyPath, const WideString& valueName);

// The title of an HTML document; empty optional when it is not one.
std::optional<WideString> DocumentTitle(IDispatch* document);

}  // namespace tessel
