// The input document as the viewer request's body.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "base/text.h"

namespace tessel {

// The document at `inputPath` (the "InputPath" value), read in text mode, as a
// byte array in `postData` and its header line in `headers`; both stay empty when it cannot
// be read (the request is then a GET). False only when memory for them could not be had.
bool LoadPostData(const WideString& inputPath, VARIANT& postData, VARIANT& headers);

}  // namespace tessel
