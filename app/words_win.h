// The user's language, from Windows, and its words from the files beside the program.
#pragma once

#include <string>
#include <vector>

#include "app/words.h"

namespace tessel {

// The user's preferred UI languages, most preferred first ("de-DE", "en-US").
std::vector<std::string> PreferredUiLanguages();

// The words of the language chosen for them from html/words beside the program; English
// where that language's file cannot be read, from the program itself where even English's
// cannot.
Words LoadWords(const std::vector<std::string>& preferred);

// The system's own text for a failure (a navigation or HTTP-layer status), in the system's
// display language; empty where it has none.
WideString SystemMessage(unsigned long status, const wchar_t* module);

}  // namespace tessel
