// Launch parameters written on the command line as "key=value" pieces.
#pragma once

#include "params/parameter_map.h"
#include "base/text.h"

namespace tessel {

// True when the text held at least one piece (a run without double quotes), even if no
// parameter came of it; false for empty text or quotes only, leaving the map untouched.
// The text is read up to a NUL unit, as Windows delivers it. Keys and values are stored
// as UTF-8, whole whatever their letters or length: a cut or emptied path or address would
// point somewhere else.
bool ParseCommandLineParameters(WideView text, ParameterMap& map,
                                SpaceClassifier isSpaceAbove00FF = PortableIsSpaceAbove00FF);

// U+0009..U+000D, U+0020, U+0085, U+00A0, and above U+00FF whatever the classifier says.
bool IsParameterSpace(char16_t c, SpaceClassifier isSpaceAbove00FF);

// Removes leading, then trailing units for which isSpace holds.
void TrimInPlace(WideString& text, bool (*isSpace)(char16_t));

// The tail a GUI entry point receives: the command line without the program path
// (quoted or not) and without the blanks after it; trailing blanks stay.
WideView CommandLineTail(WideView commandLine);

}  // namespace tessel
