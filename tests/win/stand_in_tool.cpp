// Stands in for curl.exe in the Windows unit tests of the result delivery: reads the same
// arguments (-K - for a configuration on its input, --proxy, -D head, -o body, the address
// last; -X DELETE) and answers by the address's last piece: ok.xml delivers, missing.xml is a
// 404, cut.xml ends mid-document, cutonce.xml does so on every other try, route.xml delivers
// what reached curl (its input, its proxy, the proxy variables it sees), stall.xml and a
// DELETE of slowdelete.xml never end on their own.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {
void Write(const wchar_t* path, const std::string& text) {
    if (FILE* f = _wfopen(path, L"wb")) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
}
bool EndsWith(const std::wstring& s, const wchar_t* tail) {
    const std::size_t n = std::wcslen(tail);
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}
std::string Narrow(const wchar_t* s) {
    std::string out;
    for (; s && *s; ++s) out += static_cast<char>(*s < 0x80 ? *s : '?');
    return out;
}
std::string Input() {
    std::string all;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), chunk, sizeof chunk, &got, nullptr) && got) all.append(chunk, got);
    return all;
}
std::string ProxyVariables() {
    std::string seen;
    for (const wchar_t* name : {L"ALL_PROXY", L"HTTPS_PROXY", L"http_proxy", L"NO_PROXY"})
        if (GetEnvironmentVariableW(name, nullptr, 0)) seen += Narrow(name) + " ";
    return seen;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    const wchar_t *head = nullptr, *body = nullptr, *proxy = nullptr;
    bool deleting = false, input = false;
    for (int i = 1; i + 1 < argc; ++i) {
        if (!std::wcscmp(argv[i], L"-D")) head = argv[i + 1];
        if (!std::wcscmp(argv[i], L"-o")) body = argv[i + 1];
        if (!std::wcscmp(argv[i], L"--proxy")) proxy = argv[i + 1];
        if (!std::wcscmp(argv[i], L"-X")) deleting = true;
        if (!std::wcscmp(argv[i], L"-K") && !std::wcscmp(argv[i + 1], L"-")) input = true;
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
    bool cut = EndsWith(address, L"/cut.xml");
    if (EndsWith(address, L"/cutonce.xml")) {
        // A marker in the run's folder: the first try is cut, the next one whole.
        cut = !DeleteFileW(L"cutonce.seen");
        if (cut) Write(L"cutonce.seen", "");
    }
    Write(head, "HTTP/1.1 200 OK\r\n\r\n");
    if (EndsWith(address, L"/route.xml"))
        Write(body, "input: " + (input ? Input() : std::string("none")) + "proxy: " + Narrow(proxy ? proxy : L"none") +
                        "; variables: " + ProxyVariables());
    else
        Write(body, cut ? "<res" : "<result/>");
    return cut ? 18 : 0;
}
