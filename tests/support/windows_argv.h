// How a Windows program started with a command line sees its arguments: the first
// argument by the program-name rule (quotes delimit it, backslashes are plain), the rest
// by the C runtime's rules (2n backslashes + quote, 2n+1 backslashes + quote, "" inside
// quotes). Written from Microsoft's description of argument parsing, not from our code.
#pragma once

#include <string>
#include <vector>

namespace winargv {

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

inline std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> args;
    std::size_t i = 0;
    const std::size_t n = line.size();
    // Program name.
    std::string program;
    if (i < n && line[i] == '"') {
        ++i;
        while (i < n && line[i] != '"') program += line[i++];
        if (i < n) ++i;
    } else {
        while (i < n && !IsBlank(line[i])) program += line[i++];
    }
    args.push_back(program);
    while (true) {
        while (i < n && IsBlank(line[i])) ++i;
        if (i >= n) break;
        std::string arg;
        bool quoted = false;
        while (i < n && (quoted || !IsBlank(line[i]))) {
            std::size_t slashes = 0;
            while (i < n && line[i] == '\\') ++slashes, ++i;
            if (i < n && line[i] == '"') {
                arg.append(slashes / 2, '\\');
                if (slashes % 2) {
                    arg += '"';
                } else if (quoted && i + 1 < n && line[i + 1] == '"') {
                    arg += '"';
                    ++i;
                } else {
                    quoted = !quoted;
                }
                ++i;
            } else {
                arg.append(slashes, '\\');
                if (i < n && (quoted || !IsBlank(line[i]))) arg += line[i++];
            }
        }
        args.push_back(arg);
    }
    return args;
}

}  // namespace winargv
