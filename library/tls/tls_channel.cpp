// Schannel client: the handshake loop, manual certificate checks, and the
// record encryption of a TlsChannel. Decisions about buffering and trust
// files live in tls_buffer.cpp and tls_trust_file.cpp.
// The chain engine's exclusive-root fields are declared only for Windows 8
// and later; CreateExclusiveEngine falls back at run time on older systems.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0602
#undef NTDDI_VERSION
#define NTDDI_VERSION 0x06020000
#define SECURITY_WIN32
#include "tls/tls_channel.h"
#include <windows.h>
#include <wincrypt.h>
#include <schannel.h>
#include <security.h>
#include <sspi.h>
#include <cstddef>
#include <vector>
#include "core/win_system_library.h"
#include "tls/tls_buffer.h"
#include "tls/tls_trust_file.h"

namespace zenk::tls {
namespace {

constexpr DWORD kContextFlags = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT |
    ISC_REQ_CONFIDENTIALITY | ISC_REQ_EXTENDED_ERROR | ISC_REQ_ALLOCATE_MEMORY |
    ISC_REQ_STREAM | ISC_REQ_MANUAL_CRED_VALIDATION;

// A CA file larger than this is not a CA file.
constexpr DWORD kMaxCaFileBytes = 1024 * 1024;

// Rounds of ISC on one buffer before we give up: a server that asks for a
// client certificate costs one extra round.
constexpr int kMaxHandshakeRounds = 8;

// Schannel through secur32.dll, loaded on first use. Loading secur32 starts
// every security package of the system (under Wine also a probe for NTLM's
// helper program): a cost every program of ours paid at start, whether or
// not it ever opened a secure connection.
const SecurityFunctionTableA* Sspi() {
    static const SecurityFunctionTableA* const table = []() -> const SecurityFunctionTableA* {
        auto init = reinterpret_cast<INIT_SECURITY_INTERFACE_A>(
            reinterpret_cast<void (*)()>(SystemProcedure(L"secur32.dll", SECURITY_ENTRYPOINT_ANSIA)));
        return init ? init() : nullptr;
    }();
    return table;
}

// The certificate functions of crypt32.dll, loaded with Schannel on first
// use: crypt32 and its own imports (bcrypt, and under Wine its crypto
// library) cost every program at start otherwise.
struct CertificateApi {
    decltype(&::CertAddEncodedCertificateToStore) CertAddEncodedCertificateToStore;
    decltype(&::CertCloseStore) CertCloseStore;
    decltype(&::CertCreateCertificateChainEngine) CertCreateCertificateChainEngine;
    decltype(&::CertFreeCertificateChain) CertFreeCertificateChain;
    decltype(&::CertFreeCertificateChainEngine) CertFreeCertificateChainEngine;
    decltype(&::CertFreeCertificateContext) CertFreeCertificateContext;
    decltype(&::CertGetCertificateChain) CertGetCertificateChain;
    decltype(&::CertOpenStore) CertOpenStore;
    decltype(&::CertVerifyCertificateChainPolicy) CertVerifyCertificateChainPolicy;
    decltype(&::CryptStringToBinaryA) CryptStringToBinaryA;
};

template <class Function>
bool Bind(HMODULE dll, Function& function, const char* name) {
    function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(dll, name)));
    return function != nullptr;
}

// Null when crypt32 or one of its functions cannot be found.
const CertificateApi* Crypt() {
    static const CertificateApi* const api = []() -> const CertificateApi* {
        static CertificateApi bound;
        const HMODULE dll = SystemLibrary(L"crypt32.dll");
        const bool complete =
            dll && Bind(dll, bound.CertAddEncodedCertificateToStore, "CertAddEncodedCertificateToStore") &&
            Bind(dll, bound.CertCloseStore, "CertCloseStore") &&
            Bind(dll, bound.CertCreateCertificateChainEngine, "CertCreateCertificateChainEngine") &&
            Bind(dll, bound.CertFreeCertificateChain, "CertFreeCertificateChain") &&
            Bind(dll, bound.CertFreeCertificateChainEngine, "CertFreeCertificateChainEngine") &&
            Bind(dll, bound.CertFreeCertificateContext, "CertFreeCertificateContext") &&
            Bind(dll, bound.CertGetCertificateChain, "CertGetCertificateChain") &&
            Bind(dll, bound.CertOpenStore, "CertOpenStore") &&
            Bind(dll, bound.CertVerifyCertificateChainPolicy, "CertVerifyCertificateChainPolicy") &&
            Bind(dll, bound.CryptStringToBinaryA, "CryptStringToBinaryA");
        return complete ? &bound : nullptr;
    }();
    return api;
}

bool ReadWholeFile(const std::string& path, std::string& text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart <= kMaxCaFileBytes;
    if (ok) {
        text.resize(static_cast<std::size_t>(size.QuadPart));
        DWORD got = 0;
        ok = ReadFile(file, &text[0], static_cast<DWORD>(text.size()), &got, nullptr) &&
             got == text.size();
    }
    CloseHandle(file);
    return ok;
}

bool AddPemBlock(HCERTSTORE store, std::string_view block) {
    DWORD derSize = 0;
    if (!Crypt()->CryptStringToBinaryA(block.data(), static_cast<DWORD>(block.size()), CRYPT_STRING_BASE64HEADER,
                                       nullptr, &derSize, nullptr, nullptr))
        return false;
    std::vector<BYTE> der(derSize);
    if (!Crypt()->CryptStringToBinaryA(block.data(), static_cast<DWORD>(block.size()), CRYPT_STRING_BASE64HEADER,
                                       der.data(), &derSize, nullptr, nullptr))
        return false;
    return Crypt()->CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(), derSize,
                                                     CERT_STORE_ADD_ALWAYS, nullptr) != FALSE;
}

// Fills store with the certificates of a PEM or DER file; false when the
// file holds none that parse.
bool LoadCaFile(const std::string& path, HCERTSTORE store) {
    std::string text;
    if (!ReadWholeFile(path, text)) return false;
    if (!LooksLikePem(text)) {
        return Crypt()->CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING,
                                                         reinterpret_cast<const BYTE*>(text.data()),
                                                         static_cast<DWORD>(text.size()),
                                                         CERT_STORE_ADD_ALWAYS, nullptr) != FALSE;
    }
    bool any = false;
    for (std::string_view block : PemCertificateBlocks(text)) {
        if (!AddPemBlock(store, block)) return false;  // a damaged file is refused, not half-trusted
        any = true;
    }
    return any;
}

// A chain engine whose only roots are those in roots. Windows 8 and later
// take the full structure; Windows 7 and Wine 8 know it only up to
// hExclusiveTrustedPeople and refuse the full size with E_INVALIDARG.
HCERTCHAINENGINE CreateExclusiveEngine(HCERTSTORE roots) {
    CERT_CHAIN_ENGINE_CONFIG config = {};
    config.hExclusiveRoot = roots;
    const DWORD sizes[] = {sizeof(config),
                           static_cast<DWORD>(offsetof(CERT_CHAIN_ENGINE_CONFIG, dwExclusiveFlags))};
    for (DWORD size : sizes) {
        config.cbSize = size;
        HCERTCHAINENGINE engine = nullptr;
        if (Crypt()->CertCreateCertificateChainEngine(&config, &engine)) return engine;
    }
    return nullptr;
}

std::wstring Widen(const std::string& text) {
    int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], n);
    wide.resize(static_cast<std::size_t>(n - 1));
    return wide;
}

void AppendToken(SecBuffer& token, std::string& out) {
    if (token.pvBuffer && token.cbBuffer > 0)
        out.append(static_cast<const char*>(token.pvBuffer), token.cbBuffer);
    if (token.pvBuffer) Sspi()->FreeContextBuffer(token.pvBuffer);
    token.pvBuffer = nullptr;
    token.cbBuffer = 0;
}

RecordHeader HeaderOf(RecordBuffer& input) {
    return CheckRecordHeader(reinterpret_cast<const unsigned char*>(input.Data()), input.Size());
}

}  // namespace

const char* TlsStatusText(TlsStatus status) {
    switch (status) {
    case TlsStatus::kOk: return "no error";
    case TlsStatus::kNoProvider: return "the system's TLS provider is not available";
    case TlsStatus::kCaFileUnreadable: return "the CA certificate file cannot be read";
    case TlsStatus::kHandshakeFailed: return "the TLS handshake failed";
    case TlsStatus::kCertificateUntrusted: return "the server's certificate is not trusted";
    case TlsStatus::kNameMismatch: return "the server's certificate is for another host name";
    case TlsStatus::kProtocolError: return "the TLS stream is damaged";
    case TlsStatus::kWrongState: return "not allowed in this state of the TLS channel";
    }
    return "unknown TLS status";
}

struct TlsChannel::Impl {
    State state = State::kIdle;
    TlsStatus failure = TlsStatus::kOk;  // the status that put us in kFailed
    long systemStatus = 0;
    std::string host;
    CredHandle cred = {};
    bool haveCred = false;
    CtxtHandle ctx = {};
    bool haveCtx = false;
    HCERTSTORE roots = nullptr;          // the CA file's certificates, when given
    HCERTCHAINENGINE engine = nullptr;   // trusts only roots; null: the system's engine
    SecPkgContext_StreamSizes sizes = {};
    RecordBuffer input;
    std::vector<char> sealed;            // one record being encrypted

    ~Impl() {
        if (haveCtx) Sspi()->DeleteSecurityContext(&ctx);
        if (haveCred) Sspi()->FreeCredentialsHandle(&cred);
        if (engine) Crypt()->CertFreeCertificateChainEngine(engine);
        if (roots) Crypt()->CertCloseStore(roots, 0);
    }

    TlsStatus Fail(TlsStatus status, long system) {
        state = State::kFailed;
        failure = status;
        systemStatus = system;
        return status;
    }

    TlsStatus HandshakeRounds(std::string& out, std::string& plain);
    TlsStatus CheckServerCertificate();
    TlsStatus DecryptRecords(std::string& plain);
};

TlsChannel::TlsChannel() : impl_(new Impl) {}
TlsChannel::~TlsChannel() = default;

TlsChannel::State TlsChannel::CurrentState() const { return impl_->state; }
long TlsChannel::LastSystemStatus() const { return impl_->systemStatus; }

TlsStatus TlsChannel::Start(const std::string& hostName, const std::string& caFile, std::string& out) {
    Impl& s = *impl_;
    if (s.state != State::kIdle) return s.state == State::kFailed ? s.failure : TlsStatus::kWrongState;
    if (hostName.empty()) return s.Fail(TlsStatus::kWrongState, 0);
    s.host = hostName;
    if (!Sspi() || !Crypt()) return s.Fail(TlsStatus::kNoProvider, SEC_E_SECPKG_NOT_FOUND);
    if (!caFile.empty()) {
        s.roots = Crypt()->CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr);
        if (!s.roots || !LoadCaFile(caFile, s.roots))
            return s.Fail(TlsStatus::kCaFileUnreadable, static_cast<long>(GetLastError()));
        s.engine = CreateExclusiveEngine(s.roots);
        if (!s.engine) return s.Fail(TlsStatus::kCaFileUnreadable, static_cast<long>(GetLastError()));
    }

    SCHANNEL_CRED schannel = {};
    schannel.dwVersion = SCHANNEL_CRED_VERSION;
    schannel.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT;
    schannel.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
    TimeStamp expiry;
    SECURITY_STATUS st = Sspi()->AcquireCredentialsHandleA(nullptr, const_cast<char*>(UNISP_NAME_A),
                                                           SECPKG_CRED_OUTBOUND, nullptr, &schannel, nullptr,
                                                           nullptr, &s.cred, &expiry);
    if (st != SEC_E_OK) return s.Fail(TlsStatus::kNoProvider, st);
    s.haveCred = true;

    SecBuffer token = {0, SECBUFFER_TOKEN, nullptr};
    SecBufferDesc outDesc = {SECBUFFER_VERSION, 1, &token};
    ULONG attrs = 0;
    st = Sspi()->InitializeSecurityContextA(&s.cred, nullptr, const_cast<char*>(s.host.c_str()), kContextFlags,
                                            0, 0, nullptr, 0, &s.ctx, &outDesc, &attrs, &expiry);
    if (st != SEC_I_CONTINUE_NEEDED) {
        if (token.pvBuffer) Sspi()->FreeContextBuffer(token.pvBuffer);
        return s.Fail(TlsStatus::kHandshakeFailed, st);
    }
    s.haveCtx = true;
    AppendToken(token, out);
    s.state = State::kHandshaking;
    return TlsStatus::kOk;
}

TlsStatus TlsChannel::Receive(const char* data, std::size_t n, std::string& out, std::string& plain) {
    Impl& s = *impl_;
    while (n > 0) {
        if (s.state == State::kFailed) return s.failure;
        if (s.state == State::kPeerClosed || s.state == State::kClosed) return TlsStatus::kOk;
        if (s.state == State::kIdle) return TlsStatus::kWrongState;
        std::size_t taken = s.input.Take(data, n);
        data += taken;
        n -= taken;
        TlsStatus status = s.state == State::kHandshaking ? s.HandshakeRounds(out, plain)
                                                          : s.DecryptRecords(plain);
        if (status != TlsStatus::kOk) return status;
        // A full buffer that nothing could be made of is a peer sending
        // garbage or records larger than TLS allows.
        if (s.input.Full() && (s.state == State::kHandshaking || s.state == State::kOpen))
            return s.Fail(TlsStatus::kProtocolError, SEC_E_INCOMPLETE_MESSAGE);
    }
    return s.state == State::kFailed ? s.failure : TlsStatus::kOk;
}

TlsStatus TlsChannel::Impl::HandshakeRounds(std::string& out, std::string& plain) {
    for (int round = 0; round < kMaxHandshakeRounds && input.Size() > 0; ++round) {
        // A clear-text server (implicit TLS on a plain port) answers with a
        // greeting, which Schannel may wait on for up to 64 KiB.
        if (HeaderOf(input) == RecordHeader::kNotTls)
            return Fail(TlsStatus::kHandshakeFailed, SEC_E_ILLEGAL_MESSAGE);
        SecBuffer in[2] = {{static_cast<ULONG>(input.Size()), SECBUFFER_TOKEN, input.Data()},
                           {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc inDesc = {SECBUFFER_VERSION, 2, in};
        SecBuffer token = {0, SECBUFFER_TOKEN, nullptr};
        SecBufferDesc outDesc = {SECBUFFER_VERSION, 1, &token};
        ULONG attrs = 0;
        TimeStamp expiry;
        SECURITY_STATUS st = Sspi()->InitializeSecurityContextA(&cred, &ctx, const_cast<char*>(host.c_str()),
                                                                kContextFlags, 0, 0, &inDesc, 0, nullptr,
                                                                &outDesc, &attrs, &expiry);
        if (st == SEC_E_INCOMPLETE_MESSAGE) {
            if (token.pvBuffer) Sspi()->FreeContextBuffer(token.pvBuffer);
            return TlsStatus::kOk;  // wait for the rest of the record
        }
        // Handshake replies and, on failure, the alert that tells the server
        // why. After a refused certificate nothing more goes out.
        std::string reply;
        AppendToken(token, reply);
        if (st == SEC_I_INCOMPLETE_CREDENTIALS) {  // no client certificate: ask again
            out += reply;
            continue;
        }
        if (st != SEC_E_OK && st != SEC_I_CONTINUE_NEEDED) {
            out += reply;
            return Fail(TlsStatus::kHandshakeFailed, st);
        }
        if (in[1].BufferType == SECBUFFER_EXTRA) {
            if (!input.KeepLast(in[1].cbBuffer)) return Fail(TlsStatus::kProtocolError, st);
        } else {
            input.Clear();
        }
        if (st == SEC_I_CONTINUE_NEEDED) out += reply;
        if (st == SEC_E_OK) {
            TlsStatus checked = CheckServerCertificate();
            if (checked != TlsStatus::kOk) return checked;
            out += reply;
            st = Sspi()->QueryContextAttributesA(&ctx, SECPKG_ATTR_STREAM_SIZES, &sizes);
            if (st != SEC_E_OK) return Fail(TlsStatus::kHandshakeFailed, st);
            state = State::kOpen;
            // Application data may have come right behind the Finished message.
            return DecryptRecords(plain);
        }
    }
    if (input.Size() > 0 && state == State::kHandshaking)
        return Fail(TlsStatus::kHandshakeFailed, SEC_I_INCOMPLETE_CREDENTIALS);
    return TlsStatus::kOk;
}

TlsStatus TlsChannel::Impl::CheckServerCertificate() {
    PCCERT_CONTEXT remote = nullptr;
    SECURITY_STATUS st = Sspi()->QueryContextAttributesA(&ctx, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &remote);
    if (st != SEC_E_OK || !remote) return Fail(TlsStatus::kCertificateUntrusted, st);

    LPSTR serverAuth[] = {const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH)};
    CERT_CHAIN_PARA chainPara = {};
    chainPara.cbSize = sizeof(chainPara);
    chainPara.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
    chainPara.RequestedUsage.Usage.cUsageIdentifier = 1;
    chainPara.RequestedUsage.Usage.rgpszUsageIdentifier = serverAuth;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    BOOL built = Crypt()->CertGetCertificateChain(engine, remote, nullptr, remote->hCertStore, &chainPara, 0,
                                                  nullptr, &chain);
    Crypt()->CertFreeCertificateContext(remote);
    if (!built || !chain) return Fail(TlsStatus::kCertificateUntrusted, static_cast<long>(GetLastError()));

    // Wine's SSL policy passes a chain that could not be completed, so the
    // chain's own trust errors are checked first, on every system.
    DWORD chainErrors = chain->TrustStatus.dwErrorStatus;
    std::wstring wideHost = Widen(host);
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl = {};
    ssl.cbSize = sizeof(ssl);
    ssl.dwAuthType = AUTHTYPE_SERVER;
    ssl.pwszServerName = &wideHost[0];
    CERT_CHAIN_POLICY_PARA policyPara = {};
    policyPara.cbSize = sizeof(policyPara);
    policyPara.pvExtraPolicyPara = &ssl;
    CERT_CHAIN_POLICY_STATUS policy = {};
    policy.cbSize = sizeof(policy);
    BOOL checked = Crypt()->CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policyPara, &policy);
    Crypt()->CertFreeCertificateChain(chain);

    if (!checked) return Fail(TlsStatus::kCertificateUntrusted, static_cast<long>(GetLastError()));
    if (chainErrors != 0) return Fail(TlsStatus::kCertificateUntrusted, static_cast<long>(chainErrors));
    if (policy.dwError == static_cast<DWORD>(CERT_E_CN_NO_MATCH))
        return Fail(TlsStatus::kNameMismatch, static_cast<long>(policy.dwError));
    if (policy.dwError != 0) return Fail(TlsStatus::kCertificateUntrusted, static_cast<long>(policy.dwError));
    return TlsStatus::kOk;
}

TlsStatus TlsChannel::Impl::DecryptRecords(std::string& plain) {
    while (input.Size() > 0 && state == State::kOpen) {
        if (HeaderOf(input) == RecordHeader::kNotTls)
            return Fail(TlsStatus::kProtocolError, SEC_E_ILLEGAL_MESSAGE);
        unsigned char recordType = static_cast<unsigned char>(input.Data()[0]);
        SecBuffer b[4] = {{static_cast<ULONG>(input.Size()), SECBUFFER_DATA, input.Data()},
                          {0, SECBUFFER_EMPTY, nullptr},
                          {0, SECBUFFER_EMPTY, nullptr},
                          {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc desc = {SECBUFFER_VERSION, 4, b};
        SECURITY_STATUS st = Sspi()->DecryptMessage(&ctx, &desc, 0, nullptr);
        if (st == SEC_E_INCOMPLETE_MESSAGE) return TlsStatus::kOk;
        if (st == SEC_I_CONTEXT_EXPIRED) {  // Windows: the peer's close_notify
            state = State::kPeerClosed;
            input.Clear();
            return TlsStatus::kOk;
        }
        if (st == SEC_I_RENEGOTIATE) return Fail(TlsStatus::kProtocolError, st);
        if (st != SEC_E_OK) return Fail(TlsStatus::kProtocolError, st);
        const SecBuffer* data = nullptr;
        const SecBuffer* extra = nullptr;
        for (int i = 1; i < 4; ++i) {
            if (b[i].BufferType == SECBUFFER_DATA && !data) data = &b[i];
            if (b[i].BufferType == SECBUFFER_EXTRA && !extra) extra = &b[i];
        }
        bool hadData = data && data->cbBuffer > 0;
        if (hadData) plain.append(static_cast<const char*>(data->pvBuffer), data->cbBuffer);
        // Plaintext is copied out before the extra bytes move over it.
        if (extra) {
            if (!input.KeepLast(extra->cbBuffer)) return Fail(TlsStatus::kProtocolError, st);
        } else {
            input.Clear();
        }
        // Wine: close_notify comes back as SEC_E_OK with no data. An empty
        // data record is legal TLS, so only an alert record counts as the end.
        if (!hadData && IsAlertRecord(recordType)) {
            state = State::kPeerClosed;
            input.Clear();
        }
    }
    return TlsStatus::kOk;
}

TlsStatus TlsChannel::Send(const char* data, std::size_t n, std::string& out) {
    Impl& s = *impl_;
    if (s.state == State::kFailed) return s.failure;
    if (s.state != State::kOpen && s.state != State::kPeerClosed) return TlsStatus::kWrongState;
    const std::size_t maxChunk = s.sizes.cbMaximumMessage;
    s.sealed.resize(s.sizes.cbHeader + maxChunk + s.sizes.cbTrailer);
    while (n > 0) {
        std::size_t chunk = n < maxChunk ? n : maxChunk;
        char* base = s.sealed.data();
        CopyMemory(base + s.sizes.cbHeader, data, chunk);
        SecBuffer b[4] = {{s.sizes.cbHeader, SECBUFFER_STREAM_HEADER, base},
                          {static_cast<ULONG>(chunk), SECBUFFER_DATA, base + s.sizes.cbHeader},
                          {s.sizes.cbTrailer, SECBUFFER_STREAM_TRAILER, base + s.sizes.cbHeader + chunk},
                          {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc desc = {SECBUFFER_VERSION, 4, b};
        SECURITY_STATUS st = Sspi()->EncryptMessage(&s.ctx, 0, &desc, 0);
        if (st != SEC_E_OK) return s.Fail(TlsStatus::kProtocolError, st);
        // The trailer may come out shorter than its maximum: it follows the
        // data directly, so the record is the three lengths in a row.
        out.append(base, b[0].cbBuffer + b[1].cbBuffer + b[2].cbBuffer);
        data += chunk;
        n -= chunk;
    }
    return TlsStatus::kOk;
}

TlsStatus TlsChannel::Close(std::string& out) {
    Impl& s = *impl_;
    bool sayGoodbye = s.state == State::kOpen || s.state == State::kPeerClosed;
    if (s.state != State::kFailed) s.state = State::kClosed;
    if (!sayGoodbye) return TlsStatus::kOk;
    DWORD kind = SCHANNEL_SHUTDOWN;
    SecBuffer control = {sizeof(kind), SECBUFFER_TOKEN, &kind};
    SecBufferDesc controlDesc = {SECBUFFER_VERSION, 1, &control};
    SECURITY_STATUS st = Sspi()->ApplyControlToken(&s.ctx, &controlDesc);
    if (st != SEC_E_OK) return s.Fail(TlsStatus::kProtocolError, st);
    SecBuffer token = {0, SECBUFFER_TOKEN, nullptr};
    SecBufferDesc outDesc = {SECBUFFER_VERSION, 1, &token};
    ULONG attrs = 0;
    TimeStamp expiry;
    st = Sspi()->InitializeSecurityContextA(&s.cred, &s.ctx, const_cast<char*>(s.host.c_str()), kContextFlags, 0, 0,
                                            nullptr, 0, &s.ctx, &outDesc, &attrs, &expiry);
    AppendToken(token, out);
    if (st != SEC_E_OK && st != SEC_I_CONTEXT_EXPIRED) return s.Fail(TlsStatus::kProtocolError, st);
    return TlsStatus::kOk;
}

}  // namespace zenk::tls
