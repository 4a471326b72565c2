// Launch parameters read from a file: one key=value per line, in the encodings Windows
// tools write.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/text.h"
#include "params/parameter_map.h"

namespace tessel {

// Feeds file bytes in any chunking. The file's form comes from its first bytes: a UTF-8
// mark (skipped), a UTF-16 LE or BE mark (decoded), or no mark: then the file is UTF-8
// when all its parameters are well-formed UTF-8, else it is in the ANSI code page, which
// `ansiToUtf8` converts. Lines end at LF and count up to their first NUL byte (unit, in
// UTF-16). A line longer than 4095 bytes is taken whole: cutting or splitting it would
// store a wrong value or invent a parameter from its tail.
class ParameterFileParser {
public:
    explicit ParameterFileParser(ParameterMap& map, BytesToUtf8 ansiToUtf8 = Latin1ToUtf8)
        : m_map(map), m_ansiToUtf8(ansiToUtf8) {}
    void Feed(std::string_view bytes);
    void Finish();  // the last line need not end with LF; entries reach the map here

private:
    enum class Form { Unknown, NoMark, Utf8, Utf16LE, Utf16BE };
    void TakeForm();
    void FeedForm(std::string_view bytes);
    void FeedUtf16(std::string_view bytes);
    void FeedLines(std::string_view bytes);
    void EndLine();

    ParameterMap& m_map;
    BytesToUtf8 m_ansiToUtf8;
    Form m_form = Form::Unknown;
    std::string m_start;  // the first bytes, until they tell the form
    std::string m_line;
    bool m_sawNul = false;
    std::string m_oddByte;    // UTF-16: a unit's first byte waiting for its second
    char16_t m_highUnit = 0;  // UTF-16: a high surrogate waiting for its partner
    std::vector<std::pair<std::string, std::string>> m_entries;
    bool m_allUtf8 = true;
};

}  // namespace tessel
