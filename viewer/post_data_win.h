// The input document as the viewer request's body.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string_view>

namespace tessel {

// The document at `inputPath` (the "InputPath" value as stored), read in text mode, as a
// byte array in `postData` and its header line in `headers`; both stay empty when it cannot
// be read (the request is then a GET). False only when memory for them could not be had.
bool LoadPostData(std::string_view inputPath, VARIANT& postData, VARIANT& headers);

}  // namespace tessel
