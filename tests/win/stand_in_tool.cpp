// Stands in for curl.exe in the Windows unit tests of the result delivery: reads the same
// arguments (-D head, -o body, the address last; -X DELETE) and answers by the address's last
// piece: ok.xml delivers, missing.xml is a 404, cut.xml ends mid-document, stall.xml and a
// DELETE of slowdelete.xml never end on their own.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {
void Write(const wchar_t* path, const char* text) {
    if (FILE* f = _wfopen(path, L"wb")) {
        std::fputs(text, f);
        std::fclose(f);
    }
}
bool EndsWith(const std::wstring& s, const wchar_t* tail) {
    const std::size_t n = std::wcslen(tail);
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    const wchar_t *head = nullptr, *body = nullptr;
    bool deleting = false;
    for (int i = 1; i + 1 < argc; ++i) {
        if (!std::wcscmp(argv[i], L"-D")) head = argv[i + 1];
        if (!std::wcscmp(argv[i], L"-o")) body = argv[i + 1];
        if (!std::wcscmp(argv[i], L"-X")) deleting = true;
    }
    const std::wstring address = argc > 1 ? argv[argc - 1] : L"";
    if (deleting) {
        if (address.find(L"slowdelete.xml") != std::wstring::npos) Sleep(INFINITE);
        return 0;
    }
    if (!head || !body) return 2;
    if (EndsWith(address, L"/stall.xml")) Sleep(INFINITE);
    if (EndsWith(address, L"/missing.xml")) {
        Write(head, "HTTP/1.1 404 Not Found\r\n\r\n");
        return 22;
    }
    Write(head, "HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\n");
    Write(body, EndsWith(address, L"/cut.xml") ? "<res" : "<result/>");
    return EndsWith(address, L"/cut.xml") ? 18 : 0;
}
