// Date, zone, message id and boundary of a composed message.
#include "mime/message_stamps.h"

#include <cstdio>

namespace zenk {

namespace {

constexpr const char* kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

const char* WeekdayName(int d) { return d >= 0 && d < 7 ? kWeekdays[d] : "Sun"; }
const char* MonthName(int m) { return m >= 1 && m <= 12 ? kMonths[m - 1] : "Jan"; }

// Negative when a is earlier than b, positive when later, 0 when the two
// agree to the minute: year, month, day, hour, minute, the first that
// differs deciding.
int CompareToMinute(const CivilTime& a, const CivilTime& b) {
    const int fa[] = {a.year, a.month, a.day, a.hour, a.minute};
    const int fb[] = {b.year, b.month, b.day, b.hour, b.minute};
    for (int i = 0; i < 5; ++i)
        if (fa[i] != fb[i]) return fa[i] < fb[i] ? -1 : 1;
    return 0;
}

int MinuteOfDay(const CivilTime& t) { return t.hour * 60 + t.minute; }

bool SameDate(const CivilTime& a, const CivilTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day;
}

}  // namespace

void FormatZone(const CivilTime& local, const CivilTime& utc, char* out, std::size_t capacity) {
    int order = CompareToMinute(utc, local);
    char sign = '+';
    int offset = 0;
    if (order > 0) {  // UTC is later: west of Greenwich
        sign = '-';
        offset = MinuteOfDay(utc) - MinuteOfDay(local);
    } else if (order < 0) {
        offset = MinuteOfDay(local) - MinuteOfDay(utc);
    }
    if (order != 0 && !SameDate(local, utc)) offset += 1440;
    // RFC 5322 wants a sign on every zone, UTC included ("+0000").
    std::snprintf(out, capacity, "%c%02d%02d", sign, (offset / 60) % 100, offset % 60);
}

void FormatDate(const CivilTime& local, const CivilTime& utc, char* out, std::size_t capacity) {
    char zone[8];
    FormatZone(local, utc, zone, sizeof zone);
    std::snprintf(out, capacity, "%s, %02d %s %4d %02d:%02d:%02d %s", WeekdayName(local.dayOfWeek),
                  local.day % 100, MonthName(local.month), local.year % 10000, local.hour % 100,
                  local.minute % 100, local.second % 100, zone);
}

void FormatMessageId(const CivilTime& local, const char* sender, char* out, std::size_t capacity) {
    std::snprintf(out, capacity, "<%02d:%02d:%02d%s>", local.hour % 100, local.minute % 100,
                  local.second % 100, sender);
}

void FormatBoundary(const CivilTime& local, char* out, std::size_t capacity) {
    std::snprintf(out, capacity, "ZENKBoundary-%02d%s%02d:%02d", local.day % 100, MonthName(local.month),
                  local.hour % 100, local.minute % 100);
}

}  // namespace zenk
