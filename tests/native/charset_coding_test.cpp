// 8-bit text through the composer and back through the scanner: texts,
// subjects and attachment names in several languages and character sets,
// with a converter into UTF-8 or Latin-1 standing in for the Windows code
// page tables; and the decoders over the examples of RFC 2047 and 2231.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "memory_storage.h"
#include "mime/attachment_names.h"
#include "mime/encoded_words.h"
#include "mime/header_fields.h"
#include "mime/mime_composer.h"
#include "mime/text_encoding.h"
#include "mime_test_support.h"

using namespace zenk;

namespace {

// ---- A converter over a few sets, enough for the tests' languages -------

std::u32string FromUtf8(std::string_view s, bool* ok) {
    std::u32string out;
    *ok = true;
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const std::size_t n = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
        if (n == 0 || i + n > s.size()) return *ok = false, out;
        char32_t cp = n == 1 ? c : c & (0xFF >> (n + 1));
        for (std::size_t k = 1; k < n; ++k) {
            const unsigned char t = static_cast<unsigned char>(s[i + k]);
            if ((t & 0xC0) != 0x80) return *ok = false, out;
            cp = (cp << 6) | (t & 0x3F);
        }
        out += cp;
        i += n;
    }
    return out;
}

std::string ToUtf8(const std::u32string& text) {
    std::string out;
    for (char32_t cp : text) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

// Code point of one byte of a single-byte set; 0xFFFF when it has none here.
char32_t SingleByte(std::string_view set, unsigned char b) {
    if (b < 0x80) return b;
    if (set == "iso-8859-1") return b >= 0xA0 ? b : 0xFFFF;
    if (set == "windows-1252") {
        if (b >= 0xA0) return b;
        const char32_t high[32] = {0x20AC, 0xFFFF, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                   0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFF, 0x017D, 0xFFFF,
                                   0xFFFF, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                   0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFF, 0x017E, 0x0178};
        return high[b - 0x80];
    }
    if (set == "iso-8859-7") return b >= 0xB8 && b != 0xD2 && b != 0xFF ? b + 0x2D0 : b == 0xA0 ? 0xA0 : 0xFFFF;
    if (set == "windows-1251") return b >= 0xC0 ? b + 0x350 : b == 0xA8 ? 0x401 : b == 0xB8 ? 0x451 : 0xFFFF;
    return 0xFFFF;
}

std::u32string Decode(std::string_view set, std::string_view bytes, bool* ok) {
    if (set == "utf-8" || set == "us-ascii") {
        std::u32string text = FromUtf8(bytes, ok);
        for (char32_t cp : text) *ok = *ok && (set == "utf-8" || cp < 0x80);
        return text;
    }
    std::u32string text;
    *ok = true;
    for (char c : bytes) {
        const char32_t cp = SingleByte(set, static_cast<unsigned char>(c));
        *ok = *ok && cp != 0xFFFF;
        text += cp;
    }
    return text;
}

std::string Encode(std::string_view set, const std::u32string& text, bool* ok) {
    *ok = true;
    if (set == "utf-8") return ToUtf8(text);
    std::string out;
    for (char32_t cp : text) {
        int found = -1;
        for (int b = 0; b < 256 && found < 0; ++b)
            if (SingleByte(set, static_cast<unsigned char>(b)) == cp) found = b;
        *ok = *ok && found >= 0;
        out += static_cast<char>(found);
    }
    return out;
}

// UTF-8 source text in a set (the test's own literals are UTF-8).
std::string In(std::string_view set, std::string_view utf8) {
    bool ok1, ok2;
    std::string bytes = Encode(set, FromUtf8(utf8, &ok1), &ok2);
    EXPECT_TRUE(ok1 && ok2) << set << ": " << utf8;
    return bytes;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

class TestConverter : public CharsetConverter {
public:
    explicit TestConverter(std::string target) : target_(std::move(target)) {}
    bool Convert(std::string_view charset, std::string_view bytes, GrowBuffer& out) override {
        const CharsetInfo* set = FindCharset(charset);
        if (!set) return false;
        bool ok;
        const std::u32string text = Decode(set->name, bytes, &ok);
        if (!ok) return false;
        const std::string converted = Encode(target_, text, &ok);
        return ok && out.Append(converted);
    }

private:
    std::string target_;
};

// The message text of each outbox record, as a POP3 server sends it.
std::string InboxFromOutbox(const std::string& outbox) {
    std::string inbox = "Letters : 1\r\nBEGIN MESSAGE\r\n";
    const std::size_t begin = outbox.find("BEGIN DATA\r\n") + 12;
    const std::size_t end = outbox.find("\r\nEND DATA\r\n", begin);
    for (std::size_t line = begin; line < end + 2;) {
        const std::size_t eol = outbox.find("\r\n", line);
        if (outbox[line] == '.') inbox += '.';
        inbox += outbox.substr(line, eol + 2 - line);
        line = eol + 2;
    }
    return inbox + ".\r\nEND MESSAGE\r\n";
}

std::string WithCrLf(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

// ---- Composed, sent, scanned back ---------------------------------------

struct LanguageCase {
    const char* what;
    const char* charset;   // as the caller names it
    const char* text;      // UTF-8 here; composed in charset
    const char* subject;
    const char* file;
    const char* encoding;  // the transfer encoding the shorter form gives
};

const LanguageCase kLanguages[] = {
    {"German, windows-1252", "Windows-1252",
     "Sehr geehrter Herr M\u00fcller,\r\n\r\nviele Gr\u00fc\u00dfe aus M\u00fcnchen.\r\nEin Punkt:\r\n.\r\n"
     "Leerzeichen am Ende \r\nund Euro: 20 \u20ac, \u0160koda.\r\n",
     "Gr\u00fc\u00dfe aus K\u00f6ln \u2013 \u00c4rger mit \u00d6l?", "\u00dcbersicht M\u00e4rz.txt",
     "quoted-printable"},
    {"French, utf-8", "utf-8",
     "Bonjour \u00e0 tous,\nla r\u00e9union est d\u00e9plac\u00e9e \u00e0 l'h\u00f4tel; \u00e7a marche ?\n"
     "Cr\u00e8me br\u00fbl\u00e9e, na\u00efve, No\u00ebl.\nMerci de confirmer votre pr\u00e9sence avant vendredi midi.",
     "R\u00e9union \u00e0 l'h\u00f4tel: \u00e7a marche? \u00c9t\u00e9 = chaud", "r\u00e9sum\u00e9 \u00e9t\u00e9.pdf",
     "quoted-printable"},
    {"Greek, iso-8859-7", "ISO-8859-7",
     "\u039a\u03b1\u03bb\u03b7\u03bc\u03ad\u03c1\u03b1 \u03ba\u03cc\u03c3\u03bc\u03b5\r\n"
     "\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac \u03b3\u03c1\u03ac\u03bc\u03bc\u03b1\u03c4\u03b1\r\n",
     "\u0393\u03b5\u03b9\u03ac \u03c3\u03bf\u03c5 \u03ba\u03cc\u03c3\u03bc\u03b5",
     "\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac.doc", "base64"},
    {"Russian, windows-1251", "cp1251",
     "\u041f\u0440\u0438\u0432\u0435\u0442, \u043c\u0438\u0440! \u0421\u044a\u0435\u0448\u044c \u0436\u0435 "
     "\u0435\u0449\u0451 \u044d\u0442\u0438\u0445 \u043c\u044f\u0433\u043a\u0438\u0445 \u0431\u0443\u043b\u043e\u043a.\r\n",
     "\u041e\u0431\u044a\u044f\u0432\u043b\u0435\u043d\u0438\u0435 \u043e \u0441\u043e\u0431\u0440\u0430\u043d\u0438\u0438",
     "\u041e\u0442\u0447\u0451\u0442 2024.xls", "base64"},
    {"Japanese, utf-8 (0x8A and 0x8D inside characters)", "UTF-8",
     "\u65e5\u672c\u8a9e\u306e\u30c6\u30ad\u30b9\u30c8\u3067\u3059\u3002\n\u78ba\u8a8d\u3057\u3066\u304f\u3060\u3055\u3044\u3002\n",
     "\u78ba\u8a8d\uff1a\u3053\u308c\u306f\u9577\u3044\u4ef6\u540d\u3067\u3001\u8907\u6570\u306e\u5358\u8a9e\u306b"
     "\u5206\u304b\u308c\u3066\u6298\u308a\u8fd4\u3055\u308c\u307e\u3059\u3002\u65e5\u672c\u8a9e",
     "\u5831\u544a\u66f8\u3001\u78ba\u8a8d\u6e08\u307f\u306e\u3068\u3066\u3082\u9577\u3044\u30d5\u30a1\u30a4"
     "\u30eb\u540d\u3067\u3059.txt", "base64"},
};

std::string Compose(const char* charset, const std::string& text, const std::string& subject,
                    const std::string& file, testutil::MemoryStorage& storage) {
    MimeComposer composer(storage);
    EXPECT_EQ(composer.Start("out.txt", "alice@example.org"), 0);
    if (charset) {
        EXPECT_EQ(composer.SetCharset(charset), 0);
    }
    EXPECT_EQ(composer.NewMessage(), 0);
    EXPECT_EQ(composer.AddTo("bob@example.org"), 0);
    EXPECT_EQ(composer.SetSubject(subject.c_str()), 0);
    if (!file.empty()) {
        storage.files[file] = std::make_shared<std::string>("attached bytes \x01\xff");
        EXPECT_EQ(composer.AddFile(file.c_str()), 0);
    }
    EXPECT_EQ(composer.AddData(text.data(), static_cast<int>(text.size())), 0);
    EXPECT_EQ(composer.EndMessage(), 0);
    EXPECT_EQ(composer.Finish(), 0);
    return storage.Text("out.txt");
}

TEST(CharsetRoundTrip, EveryLanguageComesBackAsWritten) {
    for (const LanguageCase& c : kLanguages) {
        SCOPED_TRACE(c.what);
        const std::string set = FindCharset(c.charset)->name;
        const std::string text = In(set, c.text), subject = In(set, c.subject), file = In(set, c.file);
        for (bool withFile : {false, true}) {
            testutil::MemoryStorage storage;
            const std::string outbox = Compose(c.charset, text, subject, withFile ? file : "", storage);

            // On the wire: 7-bit bytes only, lines of at most 76 characters
            // (the boundary line aside), labelled with the set.
            for (char ch : outbox) ASSERT_LT(static_cast<unsigned char>(ch), 0x80u);
            for (std::size_t at = 0, eol; (eol = outbox.find("\r\n", at)) != std::string::npos; at = eol + 2)
                if (outbox.compare(at, 23, "Content-Type: multipart") != 0) {
                    EXPECT_LE(eol - at, 76u) << outbox.substr(at, eol - at);
                }
            EXPECT_NE(outbox.find("Content-Type: text/plain; charset=" + set + "\r\n"), std::string::npos);
            EXPECT_NE(outbox.find(std::string("Content-Transfer-Encoding: ") + c.encoding + "\r\n"),
                      std::string::npos);
            EXPECT_NE(outbox.find("\r\nSubject: =?" + set + "?"), std::string::npos);
            if (withFile) {
                EXPECT_NE(outbox.find(" filename*"), std::string::npos);
            }

            for (const char* target : {"utf-8", "iso-8859-1"}) {
                SCOPED_TRACE(target);
                mimetest::Scan s(InboxFromOutbox(outbox), "C:\\in");
                TestConverter converter(target);
                s.scanner.SetConverter(&converter);
                MimeMessageRecord* r = s.scanner.GetFirst();
                ASSERT_NE(r, nullptr);
                // The text in its own set, line ends as CR LF; its set named.
                EXPECT_EQ(mimetest::Text(r), WithCrLf(text));
                EXPECT_EQ(Lower(s.scanner.TextCharset()), set);
                // Subject and name in the target page where they fit.
                bool fits;
                const std::u32string written = FromUtf8(c.subject, &fits);
                const std::string inTarget = Encode(target, written, &fits);
                if (fits) {
                    EXPECT_EQ(std::string(r->subject), inTarget);
                } else {
                    EXPECT_EQ(std::string(r->subject).rfind("=?" + set + "?", 0), 0u) << r->subject;
                    GrowBuffer again;
                    TestConverter utf8("utf-8");
                    ASSERT_TRUE(DecodeEncodedWords(r->subject, utf8, UnfitWords::kFail, again));
                    EXPECT_EQ(again.View(), c.subject);
                }
                ASSERT_EQ(r->attachmentCount, withFile ? 1 : 0);
                if (!withFile) continue;
                const std::u32string name = FromUtf8(c.file, &fits);
                std::string expected = Encode(target, name, &fits);
                if (!fits) {
                    // %XX for each byte, then the usual rules (a long name
                    // is shortened before its extension).
                    GrowBuffer escaped;
                    AppendPercentEscaped(file, escaped);
                    char safe[MimeScanner::kFileNameCapacity];
                    ASSERT_TRUE(SafeAttachmentName(escaped.View(), safe, sizeof safe));
                    expected = safe;
                }
                EXPECT_EQ(std::string(r->attachments[0]), "C:\\in\\" + expected);
                EXPECT_EQ(s.store.files["C:\\in\\" + expected], "attached bytes \x01\xff");
            }
        }
    }
}

// With a set named, a message of 7-bit bytes is byte for byte what the
// composer wrote without one.
TEST(CharsetRoundTrip, SevenBitMessagesAreUnchangedByACharset) {
    const std::string text = "Hello Bob,\r\n.\r\nplain = text \r\n\tend";
    testutil::MemoryStorage plain, named;
    EXPECT_EQ(Compose(nullptr, text, "Just ASCII: a=b?", "report.txt", plain),
              Compose("utf-8", text, "Just ASCII: a=b?", "report.txt", named));
}

TEST(CharsetNames, UnknownAndStatefulSetsAreRefused) {
    testutil::MemoryStorage storage;
    MimeComposer composer(storage);
    ASSERT_EQ(composer.Start("out.txt", "a@x"), 0);
    const char* const refused[] = {"", "x-unknown", "utf-8 ", "iso-2022-jp", nullptr};
    for (const char* bad : refused) EXPECT_EQ(composer.SetCharset(bad), -2);
    EXPECT_EQ(composer.SetCharset("Shift_JIS"), 0);
    EXPECT_EQ(composer.Finish(), 0);
}

// ---- The decoders on the examples of RFC 2047 and RFC 2231 ---------------

TEST(EncodedWords, DecodeAsTheRfcExamplesSay) {
    struct Case {
        const char* field;
        bool decoded;          // false: the field stays as written
        const char* expected;  // UTF-8
    };
    const Case cases[] = {
        {"=?ISO-8859-1?Q?a?=", true, "a"},
        {"=?ISO-8859-1?Q?a?= b", true, "a b"},
        {"=?ISO-8859-1?Q?a?= =?ISO-8859-1?Q?b?=", true, "ab"},
        {"=?ISO-8859-1?Q?a?=  \t  =?ISO-8859-1?Q?b?=", true, "ab"},
        {"=?ISO-8859-1?Q?a_b?=", true, "a b"},
        {"=?ISO-8859-1?Q?a?= =?ISO-8859-2?Q?_b?=", true, "a b"},
        {"=?ISO-8859-1?Q?Keld_J=F8rn_Simonsen?=", true, "Keld J\u00f8rn Simonsen"},
        {"=?US-ASCII?Q?Keith_Moore?= <moore@cs.utk.edu>", true, "Keith Moore <moore@cs.utk.edu>"},
        {"=?US-ASCII*EN?Q?Keith_Moore?=", true, "Keith Moore"},
        {"=?utf-8?B?5pel5pys6Kqe?=", true, "\u65e5\u672c\u8a9e"},
        {"=?utf-8?b?5pel5pys6Kqe?=", true, "\u65e5\u672c\u8a9e"},
        {"=?utf-8?B?5pc=?= =?utf-8?B?pQ==?=", true, "\u65e5"},  // one character across two words
        {"Re: =?utf-8?Q?caf=C3=A9?= ok", true, "Re: caf\u00e9 ok"},
        {"=?utf-8?Q?a=0D=0Ab?=", true, "a  b"},
        {"=?utf-8?X?abc?=", true, "=?utf-8?X?abc?="},
        {"=?utf-8?B?@@@@?=", true, "=?utf-8?B?@@@@?="},
        {"=?utf-8?Q?a b?=", true, "=?utf-8?Q?a b?="},
        {"=?utf-8?Q?unterminated", true, "=?utf-8?Q?unterminated"},
        {"=??Q?a?=", true, "=??Q?a?="},
        {"=?x-unknown?Q?a?=", false, ""},
        {"=?utf-8?Q?=FF?=", false, ""},  // no valid UTF-8
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        TestConverter utf8("utf-8");
        GrowBuffer out;
        EXPECT_EQ(DecodeEncodedWords(c.field, utf8, UnfitWords::kFail, out), c.decoded);
        if (c.decoded) {
            EXPECT_EQ(out.View(), c.expected);
        }
    }
}

TEST(ExtendedParameters, DecodeAndConvertAsTheRfcExamplesSay) {
    struct Case {
        const char* field;
        const char* charset;
        const char* expected;  // UTF-8, or %XX where the test converter has no such set
    };
    const Case cases[] = {
        {"attachment; filename*=iso-8859-1'en'%A3%20rates.txt", "iso-8859-1", "\u00a3 rates.txt"},
        {"attachment; filename*0*=us-ascii'en'This%20is%20even%20more%20; filename*1*=%2A%2A%2Afun%2A%2A%2A%20;"
         " filename*2=\"isn't it!\"",
         "us-ascii", "This is even more ***fun*** isn't it!"},
        {"attachment; filename=\"plain.txt\"; filename*=UTF-8''%E6%97%A5.txt", "UTF-8", "\u65e5.txt"},
        {"attachment; filename*=koi8-r''%F0%D2%C9.txt", "koi8-r", "%F0%D2%C9.txt"},
        {"attachment; filename=\"=?utf-8?Q?caf=C3=A9.txt?=\"", "", "caf\u00e9.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        GrowBuffer value, out;
        ParameterCharset charset;
        ASSERT_TRUE(FindParameter(c.field, "filename", value, &charset));
        EXPECT_STREQ(charset.name, c.charset);
        TestConverter utf8("utf-8");
        if (charset.name[0])
            ASSERT_TRUE(ConvertOrEscape(utf8, charset.name, value.View(), out));
        else
            ASSERT_TRUE(DecodeEncodedWords(value.View(), utf8, UnfitWords::kPercentEscape, out));
        EXPECT_EQ(out.View(), c.expected);
    }
}

// Names decoded from the wire meet the same rules as every other name.
TEST(ExtendedParameters, DecodedNamesStaySafe) {
    struct Case {
        const char* disposition;
        const char* stored;  // under C:\in, or "QDF" for a generated name
    };
    const Case cases[] = {
        {"attachment; filename*=utf-8''..%2F..%2Fwindows%2Fevil.exe", "evil.exe"},
        {"attachment; filename*=utf-8''C%3A%5Cboot.ini", "boot.ini"},
        {"attachment; filename*=utf-8''CON.txt", "QDF"},
        {"attachment; filename=\"=?utf-8?Q?a=2F..=5Cnul.txt?=\"", "QDF"},
        {"attachment; filename=\"=?utf-8?B?Li4vc2VjcmV0LnR4dA==?=\"", "secret.txt"},
        {"attachment; filename*=utf-8''x%0D%0AY.txt", "x__Y.txt"},
        {"attachment; filename*=utf-8''%E6%97%A5%E6%9C%AC.txt.. ", "\u65e5\u672c.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.disposition);
        const std::string m = mimetest::Lines({"MIME-Version: 1.0", "Content-Type: multipart/mixed; boundary=b", "",
                                               "--b", "Content-Type: application/octet-stream",
                                               "Content-Transfer-Encoding: base64",
                                               std::string("Content-Disposition: ") + c.disposition, "", "SGk=",
                                               "--b--", "."});
        mimetest::Scan s(mimetest::Inbox({m}), "C:\\in");
        TestConverter utf8("utf-8");
        s.scanner.SetConverter(&utf8);
        MimeMessageRecord* r = s.scanner.GetFirst();
        ASSERT_NE(r, nullptr);
        ASSERT_EQ(r->attachmentCount, 1);
        const std::string path = r->attachments[0];
        if (std::string(c.stored) == "QDF")
            EXPECT_EQ(path.rfind("C:\\in\\QDF", 0), 0u) << path;
        else
            EXPECT_EQ(path, std::string("C:\\in\\") + c.stored);
        EXPECT_EQ(s.store.files[path], "Hi");
    }
}

}  // namespace
