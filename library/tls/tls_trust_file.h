// Reading a CA certificate file: PEM (one or more "CERTIFICATE" blocks,
// RFC 7468) or a single DER certificate; and the clear-text record header
// checks (RFC 5246 section 6.2) that stop a wrong peer early.
#pragma once
#include <cstddef>
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

// What the first bytes of a record say, before Schannel sees them.
enum class RecordHeader {
    kIncomplete,  // fewer than 5 bytes so far, and those fit a record
    kPlausible,   // a known content type, version 3.x, a length TLS allows
    kNotTls,      // anything else: a clear-text server, garbage, an oversized record
};
// The largest record body TLS 1.2 allows: 2^14 bytes plus 2048 of expansion.
constexpr std::size_t kMaxRecordBody = 16384 + 2048;
RecordHeader CheckRecordHeader(const unsigned char* data, std::size_t n);

// True when a record starting with this byte is an alert (content type 21).
// The record type travels in clear, so the channel can tell the peer's
// close_notify from an empty data record.
constexpr bool IsAlertRecord(unsigned char firstByte) { return firstByte == 21; }

}  // namespace zenk::tls
