#include "page/page_trust.h"

namespace tessel {

bool SignsInSilently(unsigned long zone, unsigned long logonPolicy) {
    switch (logonPolicy & kLogonPolicyMask) {
        case kLogonSilent: return true;
        case kLogonIntranetOnly: return zone == kIntranetZone;
        default: return false;
    }
}

bool IsCertificateProblem(unsigned long problem) {
    switch (problem) {
        case 12037:  // ERROR_INTERNET_SEC_CERT_DATE_INVALID
        case 12038:  // ERROR_INTERNET_SEC_CERT_CN_INVALID
        case 12045:  // ERROR_INTERNET_INVALID_CA
        case 12055:  // ERROR_INTERNET_SEC_CERT_ERRORS
        case 12056:  // ERROR_INTERNET_SEC_CERT_NO_REV
        case 12057:  // ERROR_INTERNET_SEC_CERT_REV_FAILED
        case 12169:  // ERROR_INTERNET_SEC_INVALID_CERT
        case 12170:  // ERROR_INTERNET_SEC_CERT_REVOKED
        case 12179:  // ERROR_INTERNET_SEC_CERT_WEAK_SIGNATURE
            return true;
        default:
            return false;
    }
}

WideString PinnedKey(const unsigned char (&sha256)[32]) {
    static constexpr char16_t kDigits[] = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    WideString out = u"sha256//";
    // 32 bytes: ten groups of three, then two bytes and one '=' of padding.
    for (std::size_t i = 0; i < 32; i += 3) {
        const bool last = i + 2 == 32;
        const unsigned n = sha256[i] << 16 | sha256[i + 1] << 8 | (last ? 0 : sha256[i + 2]);
        out += kDigits[n >> 18 & 63];
        out += kDigits[n >> 12 & 63];
        out += kDigits[n >> 6 & 63];
        out += last ? u'=' : kDigits[n & 63];
    }
    return out;
}

}  // namespace tessel
