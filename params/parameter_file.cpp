#include "params/parameter_file.h"

#include <algorithm>
#include <utility>

namespace tessel {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LEMark = "\xFF\xFE";
constexpr std::string_view kUtf16BEMark = "\xFE\xFF";

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

}  // namespace

void ParameterFileParser::Feed(std::string_view bytes) {
    if (m_form == Form::Unknown) {
        // Three bytes tell every mark apart; a shorter file is decided by Finish.
        const std::size_t take = std::min(bytes.size(), 3 - m_start.size());
        m_start.append(bytes.substr(0, take));
        bytes.remove_prefix(take);
        if (m_start.size() < 3) return;
        TakeForm();
    }
    FeedForm(bytes);
}

void ParameterFileParser::TakeForm() {
    std::string_view held = m_start;
    if (StartsWith(held, kUtf8Mark)) {
        m_form = Form::Utf8;
        held.remove_prefix(kUtf8Mark.size());
    } else if (StartsWith(held, kUtf16LEMark)) {
        m_form = Form::Utf16LE;
        held.remove_prefix(kUtf16LEMark.size());
    } else if (StartsWith(held, kUtf16BEMark)) {
        m_form = Form::Utf16BE;
        held.remove_prefix(kUtf16BEMark.size());
    } else {
        m_form = Form::NoMark;
    }
    const std::string rest(held);
    m_start.clear();
    FeedForm(rest);
}

void ParameterFileParser::FeedForm(std::string_view bytes) {
    if (m_form == Form::Utf16LE || m_form == Form::Utf16BE)
        FeedUtf16(bytes);
    else
        FeedLines(bytes);
}

// UTF-16 becomes UTF-8 before the line rules apply: LF, CR, '=' and NUL keep their one-byte
// forms and no other unit produces them, so the rules read the same text. A high surrogate at
// the end of a chunk waits for its partner in the next.
void ParameterFileParser::FeedUtf16(std::string_view bytes) {
    const bool little = m_form == Form::Utf16LE;
    WideString units;
    if (m_highUnit) units += std::exchange(m_highUnit, u'\0');
    std::string pair = std::exchange(m_oddByte, std::string());
    for (const char b : bytes) {
        pair += b;
        if (pair.size() < 2) continue;
        const auto first = static_cast<unsigned char>(pair[0]), second = static_cast<unsigned char>(pair[1]);
        units += static_cast<char16_t>(little ? first | second << 8 : first << 8 | second);
        pair.clear();
    }
    m_oddByte = pair;
    if (!units.empty() && IsHighSurrogate(units.back())) {
        m_highUnit = units.back();
        units.pop_back();
    }
    FeedLines(ToUtf8(units));
}

void ParameterFileParser::FeedLines(std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t lf = bytes.find('\n');
        std::string_view part = bytes.substr(0, lf);
        if (!m_sawNul) {
            // Bytes after a NUL are ignored; stop collecting so a NUL-padded line stays small.
            const std::size_t nul = part.find('\0');
            m_line.append(part.substr(0, nul));
            m_sawNul = nul != std::string_view::npos;
        }
        if (lf == std::string_view::npos) return;
        EndLine();
        bytes.remove_prefix(lf + 1);
    }
}

// The key is every byte before the first '=', the value every byte after it with one
// trailing CR removed; a line without '=' is no parameter.
void ParameterFileParser::EndLine() {
    const std::string_view line = m_line;
    const std::size_t eq = line.find('=');
    if (eq != std::string_view::npos) {
        std::string_view value = line.substr(eq + 1);
        if (!value.empty() && value.back() == '\r') value.remove_suffix(1);
        const std::string_view key = line.substr(0, eq);
        if (m_form == Form::NoMark) m_allUtf8 = m_allUtf8 && IsValidUtf8(key) && IsValidUtf8(value);
        m_entries.emplace_back(key, value);
    }
    m_line.clear();
    m_sawNul = false;
}

void ParameterFileParser::Finish() {
    if (m_form == Form::Unknown) TakeForm();
    if (m_highUnit) {
        const char16_t lone = std::exchange(m_highUnit, u'\0');
        FeedLines(ToUtf8(WideView(&lone, 1)));
    }
    if (!m_line.empty()) EndLine();
    // Bytes that are not UTF-8 throughout are the ANSI code page's, as a legacy host writes.
    const bool ansi = m_form == Form::NoMark && !m_allUtf8;
    for (auto& [key, value] : m_entries)
        m_map.Store(ansi ? m_ansiToUtf8(key) : std::move(key), ansi ? m_ansiToUtf8(value) : std::move(value));
    m_entries.clear();
}

}  // namespace tessel
