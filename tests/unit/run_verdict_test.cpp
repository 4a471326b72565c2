#include <gtest/gtest.h>

#include "delivery/run_verdict.h"

using namespace tessel;

TEST(RunVerdict, OnlyAWhole200IsTheDocumentAndOnlyATransientFailureIsTriedAgain) {
    const std::string ok = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n";
    EXPECT_EQ(FinalStatus(ok), 200);
    EXPECT_EQ(DownloadVerdict(0, ok), RunVerdict::Done);
    EXPECT_EQ(DownloadVerdict(18, ok), RunVerdict::TryAgain);  // cut mid-document
    EXPECT_EQ(DownloadVerdict(28, ok), RunVerdict::TryAgain);  // stalled
    for (unsigned long transport : {7, 18, 28, 52, 55, 56}) EXPECT_EQ(DownloadVerdict(transport, ""), RunVerdict::TryAgain);
    for (unsigned long other : {6, 22, 23, 60}) EXPECT_EQ(DownloadVerdict(other, ""), RunVerdict::Failed) << other;
    // A handshake: broken off by the network, tried again; refused by the security layer (its
    // status in curl's message, a revocation that could not be checked among them), never.
    for (const char* cut : {"curl: (35) schannel: failed to receive handshake, SSL/TLS connection failed\n",
                            "curl: (35) Recv failure: Connection reset by peer", "curl: (35) x (0x80070057)", ""}) {
        EXPECT_EQ(DownloadVerdict(35, "", cut), RunVerdict::TryAgain) << cut;
        EXPECT_EQ(DeleteVerdict(35, "", cut), RunVerdict::TryAgain) << cut;
    }
    for (const char* refused :
         {"curl: (35) schannel: next InitializeSecurityContext failed: Unknown error (0x80092012) - The revocation "
          "function was unable to check revocation for the certificate.",
          "curl: (35) schannel: SEC_E_UNTRUSTED_ROOT (0x80090325)", "curl: (35) CERT_E_CN_NO_MATCH (0x800B010F)",
          "curl: (35) x (0x800b0109)"}) {
        EXPECT_EQ(DownloadVerdict(35, "", refused), RunVerdict::Failed) << refused;
        EXPECT_EQ(DeleteVerdict(35, "", refused), RunVerdict::Done) << refused;
    }
    for (const char* busy : {"HTTP/1.1 502 Bad Gateway\r\n", "HTTP/1.1 503 Busy\r\n", "HTTP/1.1 504 Gateway\r\n"}) {
        EXPECT_EQ(DownloadVerdict(22, busy), RunVerdict::TryAgain) << busy;
        EXPECT_EQ(DeleteVerdict(22, busy), RunVerdict::TryAgain) << busy;
    }
    // An answer of the server's own is never asked again, even when its body was cut.
    for (const char* answer : {"HTTP/1.1 404 Not Found\r\n", "HTTP/1.1 403 Forbidden\r\n", "HTTP/1.1 500 Error\r\n"}) {
        EXPECT_EQ(DownloadVerdict(22, answer), RunVerdict::Failed) << answer;
        EXPECT_EQ(DownloadVerdict(18, answer), RunVerdict::Failed) << answer;
        EXPECT_EQ(DeleteVerdict(0, answer), RunVerdict::Done) << answer;
        EXPECT_EQ(DeleteVerdict(18, answer), RunVerdict::Done) << answer;
    }
    EXPECT_EQ(DeleteVerdict(7, ""), RunVerdict::TryAgain);
    EXPECT_EQ(DeleteVerdict(0, ok), RunVerdict::Done);
    const std::string redirect = "HTTP/1.1 302 Found\r\nLocation: /login\r\n\r\n";
    EXPECT_EQ(FinalStatus(redirect), 302);
    EXPECT_EQ(DownloadVerdict(0, redirect), RunVerdict::Failed);
    EXPECT_EQ(FinalStatus("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\n\r\n"), 200);
    EXPECT_EQ(FinalStatus("HTTP/2 200\r\n\r\n"), 200);
    EXPECT_EQ(FinalStatus("HTTP/1.1 100\nHTTP/2 200"), 200);
    EXPECT_EQ(FinalStatus("HTTP/1.0 304 Not Modified\n\n"), 304);
    EXPECT_FALSE(FinalStatus(""));
    EXPECT_FALSE(FinalStatus("HTTP/1.1 2000 OK\r\n"));
    EXPECT_FALSE(FinalStatus("HTTP/1.1 20x OK\r\n"));
    EXPECT_FALSE(FinalStatus("HTTP/1.1\r\n"));
    EXPECT_FALSE(FinalStatus("HTTP/1.1 999 X\r\n\r\n"));
    // Cut after an interim answer: no answer yet, so the route's failure, tried again.
    const std::string hints = "HTTP/1.1 103 Early Hints\r\nLink: </a.css>; rel=preload\r\n\r\n";
    EXPECT_FALSE(FinalStatus(hints));
    EXPECT_EQ(DownloadVerdict(56, hints), RunVerdict::TryAgain);
    EXPECT_EQ(DeleteVerdict(56, hints), RunVerdict::TryAgain);
    EXPECT_EQ(DownloadVerdict(0, "garbage"), RunVerdict::Failed);
    // Only the last answer counts: a 200 followed by anything else is not the document.
    const std::string first = "HTTP/1.1 200 OK\r\n\r\n";
    for (const char* later : {"HTTP/1.1 xyz\r\n", "HTTP/1.1 \r\n", "HTTP/1.1\r\n", "HTTP/1.1 201 Created\r\n",
                              "HTTP/1.1 204 No Content\r\n", "HTTP/1.1 2000\r\n", "HTTP/1.1 20\r\n"})
        EXPECT_EQ(DownloadVerdict(0, first + later), RunVerdict::Failed) << later;
    EXPECT_EQ(FinalStatus(first + "HTTP/1.1 206 Partial\r\n"), 206);
    // Waits of 1, 2 and 4 s, four tries at most, none begun past a minute: a stalled run
    // (60 s without progress) is not tried again.
    EXPECT_EQ(RetryDelayMs(1, 0), 1000u);
    EXPECT_EQ(RetryDelayMs(2, 5000), 2000u);
    EXPECT_EQ(RetryDelayMs(3, 9000), 4000u);
    EXPECT_FALSE(RetryDelayMs(4, 9000));
    EXPECT_EQ(RetryDelayMs(1, 59000), 1000u);
    EXPECT_FALSE(RetryDelayMs(1, 59001));
}

TEST(RunVerdict, AChallengeNotAnsweredIsNamed) {
    EXPECT_EQ(SignInChallenge("HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Negotiate\r\n"
                              "www-authenticate: NTLM\r\nContent-Length: 0\r\n\r\n"),
              "401 Negotiate, NTLM");
    EXPECT_EQ(SignInChallenge("HTTP/1.1 401 No\r\nWWW-Authenticate: Basic realm=\"a, b\", Digest realm=\"x\", "
                              "nonce=\"1\"\r\nProxy-Authenticate: NTLM\r\n\r\n"),
              "401 Basic, Digest");
    // The proxy's own header for a 407; only the last answer's challenges.
    EXPECT_EQ(SignInChallenge("HTTP/1.1 401 No\r\nWWW-Authenticate: Basic\r\nProxy-Authenticate: Basic\r\n\r\n"
                              "HTTP/1.1 407 Proxy\r\nProxy-Authenticate: Negotiate abc=\r\n\r\n"),
              "407 Negotiate");
    EXPECT_EQ(SignInChallenge("HTTP/1.1 407 Proxy\r\n\r\n"), "407");
    for (const char* other : {"HTTP/1.1 403 No\r\nWWW-Authenticate: Basic\r\n\r\n", "",
                              "HTTP/1.1 401 No\r\n\r\nHTTP/1.1 200 OK\r\n\r\n"})
        EXPECT_FALSE(SignInChallenge(other)) << other;
}

TEST(RunVerdict, AHeldFileIsMovedAgainForAWhile) {
    for (unsigned long transient : {32ul, 33ul, 1224ul}) EXPECT_TRUE(IsTransientMoveError(transient, true));
    EXPECT_TRUE(IsTransientMoveError(5, false));
    EXPECT_FALSE(IsTransientMoveError(5, true));  // a read-only file or a folder stays so
    for (unsigned long lasting : {2ul, 3ul, 112ul}) EXPECT_FALSE(IsTransientMoveError(lasting, false));
    EXPECT_EQ(MoveRetryDelayMs(1) + MoveRetryDelayMs(5) + MoveRetryDelayMs(40), 50u + 800u + 1000u);
}
