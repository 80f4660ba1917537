#include "RecordingStart.h"
#include "EcgFileName.h"

#include "StrFormat.h"

namespace {

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

} // namespace

std::string ORecordingStart::Text() const
{
    if (!known)
        return {};
    return StrFormat("%04d.%02d.%02d, %02d:%02d:%02d", year, month, day, hours, minutes, seconds);
}

ORecordingStart RecordingStartFromName(const std::string& name)
{
    ORecordingStart start;
    int n[6];
    if (!ScanNameNumbers(name, n))
        return start;
    const bool valid = n[0] >= 1980 && n[0] <= 2100 && n[1] >= 1 && n[1] <= 12 && n[2] >= 1 &&
                       n[2] <= DaysInMonth(n[0], n[1]) && n[3] >= 0 && n[3] < 24 && n[4] >= 0 && n[4] < 60 &&
                       n[5] >= 0 && n[5] < 60;
    if (!valid)
        return start;
    start = {true, n[0], n[1], n[2], n[3], n[4], n[5]};
    return start;
}
