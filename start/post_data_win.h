// The input document as the viewer request's body.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "base/text.h"

namespace tessel {

// The document at `inputPath` (the "InputPath" value), read in text mode, as a
// byte array in `postData` and its header line in `headers`; both stay empty when it cannot
// be read or memory for them cannot be had (the request is then a GET, as for no document).
void LoadPostData(const WideString& inputPath, VARIANT& postData, VARIANT& headers);

}  // namespace tessel
