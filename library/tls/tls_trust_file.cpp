#include "tls/tls_trust_file.h"

namespace zenk::tls {
namespace {
constexpr std::string_view kBegin = "-----BEGIN CERTIFICATE-----";
constexpr std::string_view kEnd = "-----END CERTIFICATE-----";
}  // namespace

std::vector<std::string_view> PemCertificateBlocks(std::string_view text) {
    std::vector<std::string_view> blocks;
    std::size_t at = 0;
    for (;;) {
        std::size_t begin = text.find(kBegin, at);
        if (begin == std::string_view::npos) break;
        std::size_t end = text.find(kEnd, begin + kBegin.size());
        if (end == std::string_view::npos) break;
        // A second BEGIN before this END means the first block was cut off.
        std::size_t nextBegin = text.find(kBegin, begin + kBegin.size());
        if (nextBegin != std::string_view::npos && nextBegin < end) {
            at = nextBegin;
            continue;
        }
        std::size_t stop = end + kEnd.size();
        blocks.push_back(text.substr(begin, stop - begin));
        at = stop;
    }
    return blocks;
}

bool LooksLikePem(std::string_view text) {
    return text.find("-----BEGIN ") != std::string_view::npos;
}

}  // namespace zenk::tls
