// Reading a CA certificate file: PEM (one or more "CERTIFICATE" blocks,
// RFC 7468) or a single DER certificate.
#pragma once
#include <string_view>
#include <vector>

namespace zenk::tls {

// The PEM certificate blocks in text, each from its "-----BEGIN
// CERTIFICATE-----" line to the end of its "-----END CERTIFICATE-----"
// line. Other block types (keys, CRLs) and text between blocks are skipped;
// a block without its END line is dropped.
std::vector<std::string_view> PemCertificateBlocks(std::string_view text);

// True when the file is text in PEM form (it has a BEGIN line anywhere);
// otherwise the whole file is taken as one DER certificate.
bool LooksLikePem(std::string_view text);

}  // namespace zenk::tls
