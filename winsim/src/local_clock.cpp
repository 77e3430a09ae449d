// The machine's local clock: the host's, or a time a test or WINSIM_TIME fixed.
#include <sys/time.h>

#include <ctime>
#include <string>

#include "machine.h"

namespace winsim {
namespace {

bool IsLeapYear(unsigned year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

unsigned DaysInMonth(unsigned year, unsigned month)
{
    static const unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// 0 for Sunday, as wDayOfWeek counts.
WORD DayOfWeek(unsigned year, unsigned month, unsigned day)
{
    static const unsigned offsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 3)
        --year;
    return static_cast<WORD>((year + year / 4 - year / 100 + year / 400 + offsets[month - 1] + day) % 7);
}

SYSTEMTIME HostLocalTime()
{
    struct timeval now;
    gettimeofday(&now, nullptr);
    struct tm local;
    localtime_r(&now.tv_sec, &local);
    return SYSTEMTIME{static_cast<WORD>(local.tm_year + 1900), static_cast<WORD>(local.tm_mon + 1),
                      static_cast<WORD>(local.tm_wday),        static_cast<WORD>(local.tm_mday),
                      static_cast<WORD>(local.tm_hour),        static_cast<WORD>(local.tm_min),
                      static_cast<WORD>(local.tm_sec),         static_cast<WORD>(now.tv_usec / 1000)};
}

}  // namespace

void SetLocalClock(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second)
{
    TheMachine().clockFixed = true;
    TheMachine().fixedTime = SYSTEMTIME{year, month, DayOfWeek(year, month, day), day, hour, minute, second, 0};
}

bool SetLocalClock(const std::string &text)
{
    const char pattern[] = "dddd-dd-dd dd:dd:dd";
    if (text.size() != sizeof pattern - 1)
        return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (pattern[i] == 'd' ? text[i] < '0' || text[i] > '9' : text[i] != pattern[i])
            return false;
    auto number = [&text](size_t at, size_t digits) { return unsigned(std::stoul(text.substr(at, digits))); };
    unsigned year = number(0, 4), month = number(5, 2), day = number(8, 2);
    unsigned hour = number(11, 2), minute = number(14, 2), second = number(17, 2);
    if (year < 1601 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour > 23 ||
        minute > 59 || second > 59)
        return false;
    SetLocalClock(WORD(year), WORD(month), WORD(day), WORD(hour), WORD(minute), WORD(second));
    return true;
}

}  // namespace winsim

VOID WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime)
{
    *lpSystemTime = winsim::TheMachine().clockFixed ? winsim::TheMachine().fixedTime : winsim::HostLocalTime();
}
