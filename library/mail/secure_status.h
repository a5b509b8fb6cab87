// Status codes of secure mail, shared by the SMTP and POP3 clients (the
// same numbers in both families; zenk32.h publishes them as
// ZENK_SMTP_ERR_TLS_* and ZENK_POP3_ERR_TLS_*), and how a TLS channel
// failure maps to them. Portable: no Windows header.
#pragma once
#include "tls/tls_channel.h"

namespace zenk {

enum SecureMailStatus : int {
    kSecureHandshakeFailed = 40,   // TLS could not be set up or broke: handshake, protocol, no provider
    kSecureUntrusted = 41,         // the server's certificate chain ends at no trusted root
    kSecureNameMismatch = 42,      // the server's certificate names another host
    kSecureStartTlsRefused = 43,   // STARTTLS / STLS required but not offered, or refused
    kSecureAuthRefused = 44,       // SMTP AUTH refused, not offered, or only possible in clear
    kSecureCaFileUnreadable = 45,  // the CA certificate file cannot be read or holds no certificate
};

constexpr int SecureStatusOf(tls::TlsStatus status) {
    switch (status) {
    case tls::TlsStatus::kCertificateUntrusted: return kSecureUntrusted;
    case tls::TlsStatus::kNameMismatch: return kSecureNameMismatch;
    case tls::TlsStatus::kCaFileUnreadable: return kSecureCaFileUnreadable;
    default: return kSecureHandshakeFailed;
    }
}

}  // namespace zenk
