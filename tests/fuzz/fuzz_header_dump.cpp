// curl's header dump as a run's end reads it: the final status is nothing or a status of
// 100-599 that the dump's last status line holds; a download is done exactly when curl exited
// 0 after a final 200; a sign-in challenge only for a final 401 or 407; and an interim 1xx
// block ahead of the dump changes none of these.
#include <algorithm>
#include <string>
#include <string_view>

#include "delivery/run_verdict.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    static const unsigned long kExits[] = {0, 7, 18, 28, 35, 52, 55, 56, 6, 22, 47, 60, 1, 3, 5, 92};
    static const char* const kInterim[] = {"HTTP/1.1 100 Continue\r\n\r\n", "HTTP/1.1 102 Processing\r\n\r\n",
                                           "HTTP/1.1 103 Early Hints\r\nLink: </a.css>; rel=preload\r\n\r\n",
                                           "HTTP/2 103\r\nlink: </b.js>\r\n\r\n"};
    const unsigned long exit = kExits[data[0] & 15];
    const std::string_view message = data[0] & 64 ? "schannel: failed (0x80092012) - revoked" : "";
    const std::string_view dump(reinterpret_cast<const char*>(data + 1), size - 1);
    const auto status = tessel::FinalStatus(dump);

    if (status) {
        FUZZ_CHECK(*status >= 100 && *status <= 599);
        // The last line that starts a response, found by hand.
        std::string_view last;
        for (size_t at = 0; at < dump.size();) {
            const size_t end = std::min(dump.find('\n', at), dump.size());
            if (dump.substr(at, 5) == "HTTP/") last = dump.substr(at, end - at);
            at = end + 1;
        }
        FUZZ_CHECK(last.find(" " + std::to_string(*status)) != std::string_view::npos);
    }
    const auto verdict = tessel::DownloadVerdict(exit, dump, message);
    FUZZ_CHECK((verdict == tessel::RunVerdict::Done) == (exit == 0 && status == 200));
    const auto challenge = tessel::SignInChallenge(dump);
    FUZZ_CHECK(challenge.has_value() == (status == 401 || status == 407));
    if (challenge) FUZZ_CHECK(challenge->rfind(std::to_string(*status), 0) == 0);

    const std::string interim = std::string(kInterim[(data[0] >> 4) & 3]) + std::string(dump);
    if (status) FUZZ_CHECK(tessel::FinalStatus(interim) == status);
    FUZZ_CHECK(tessel::SignInChallenge(interim) == challenge);
    FUZZ_CHECK(tessel::DownloadVerdict(exit, interim, message) == verdict);
    FUZZ_CHECK(tessel::DeleteVerdict(exit, interim, message) == tessel::DeleteVerdict(exit, dump, message));
    return 0;
}
