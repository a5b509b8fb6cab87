// The per-message stamps of the composer: Date header value with its zone,
// Message-ID value and multipart boundary, all built from one reading of
// the local and UTC clocks.
#pragma once
#include <cstddef>

namespace zenk {

// A calendar time as the system clock gives it (the fields of SYSTEMTIME).
struct CivilTime {
    int year = 0;       // e.g. 1996
    int month = 1;      // 1 = January
    int dayOfWeek = 0;  // 0 = Sunday
    int day = 1;        // day of month, 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

constexpr std::size_t kDateCapacity = 32;       // "Fri, 08 Nov 1996 14:03:09 +0100" and NUL
constexpr std::size_t kMessageIdCapacity = 96;  // "<hh:mm:ss" + 79-character sender + ">" fits
constexpr std::size_t kBoundaryCapacity = 24;   // always 23 characters

// The zone of local against UTC, "+hhmm" or "-hhmm"; "+0000" when the two
// agree to the minute. out holds at least 6 bytes.
void FormatZone(const CivilTime& local, const CivilTime& utc, char* out, std::size_t capacity);

// "Fri, 08 Nov 1996 14:03:09 +0100".
void FormatDate(const CivilTime& local, const CivilTime& utc, char* out, std::size_t capacity);

// "<14:03:09sender>".
void FormatMessageId(const CivilTime& local, const char* sender, char* out, std::size_t capacity);

// "ZENKBoundary-08Nov14:03".
void FormatBoundary(const CivilTime& local, char* out, std::size_t capacity);

}  // namespace zenk
