#include <gtest/gtest.h>

#include "page/page_events.h"
#include "page/page_trust.h"

using namespace tessel;

TEST(PageTrust, TheUsersLogonOnlyWhereThePageSignsInWithoutAsking) {
    // Zones: 0 this computer, 1 Local intranet, 2 trusted, 3 Internet, 4 restricted.
    for (unsigned long zone : {0ul, 1ul, 2ul, 3ul, 4ul}) {
        EXPECT_TRUE(SignsInSilently(zone, 0x00000000)) << zone;
        EXPECT_EQ(SignsInSilently(zone, 0x00020000), zone == 1) << zone;
        EXPECT_FALSE(SignsInSilently(zone, 0x00010000)) << zone;
        EXPECT_FALSE(SignsInSilently(zone, 0x00030000)) << zone;
    }
    // Bits outside the logon choice do not change it.
    EXPECT_TRUE(SignsInSilently(1, 0x00020003));
    EXPECT_FALSE(SignsInSilently(3, 0x00010003));
}

TEST(PageTrust, CertificateProblemsAreTheServersAndLeadToTheProgramsPage) {
    for (unsigned long problem : {12037ul, 12038ul, 12045ul, 12055ul, 12056ul, 12057ul, 12169ul, 12170ul, 12179ul}) {
        EXPECT_TRUE(IsCertificateProblem(problem)) << problem;
        EXPECT_EQ(UnreachableReason(static_cast<long>(problem)), "reasonCertificate") << problem;
    }
    // Crossing between http and https, a client certificate asked for: the control's own.
    for (unsigned long other : {12039ul, 12040ul, 12044ul, 12029ul, 0ul}) EXPECT_FALSE(IsCertificateProblem(other)) << other;
    EXPECT_EQ(UnreachableReason(static_cast<long>(0x800C0019)), "reasonCertificate");
    EXPECT_EQ(UnreachableReason(static_cast<long>(0x800C000E)), "reasonCertificate");
}

TEST(PageTrust, PinnedKeyIsTheToolsSha256Form) {
    // SHA-256 of "abc" and its base64, as `printf abc | openssl dgst -sha256 -binary | base64` gives.
    const unsigned char abc[32] = {0xba, 0x78, 0x16, 0xbf, 0x8f, 0x01, 0xcf, 0xea, 0x41, 0x41, 0x40,
                                   0xde, 0x5d, 0xae, 0x22, 0x23, 0xb0, 0x03, 0x61, 0xa3, 0x96, 0x17,
                                   0x7a, 0x9c, 0xb4, 0x10, 0xff, 0x61, 0xf2, 0x00, 0x15, 0xad};
    EXPECT_EQ(PinnedKey(abc), u"sha256//ungWv48Bz+pBQUDeXa4iI7ADYaOWF3qctBD/YfIAFa0=");
}
