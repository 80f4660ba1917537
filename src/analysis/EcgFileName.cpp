#include "EcgFileName.h"
#include "ScanInt.h"

#include "StrFormat.h"

#include <QString>

#include <algorithm>
#include <cctype>
#include <climits>

OPathParts SplitPath(const std::string& path)
{
    OPathParts parts;
    const size_t slash = path.find_last_of("/\\");
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    parts.folder = path.substr(0, nameStart);
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < nameStart) {
        parts.name = path.substr(nameStart);
    } else {
        parts.name = path.substr(nameStart, dot - nameStart);
        parts.ext = path.substr(dot + 1);
    }
    return parts;
}

bool IsEcgExtension(const std::string& path)
{
    return QString::fromStdString(SplitPath(path).ext).compare(QStringLiteral(u"экг"), Qt::CaseInsensitive) == 0;
}

std::string OStartOfDay::Text() const
{
    return StrFormat("%02d:%02d:%02d", hours, minutes, seconds);
}

bool ScanNameNumbers(const std::string& name, int (&numbers)[6])
{
    const size_t firstDigit = name.find_first_of("0123456789");
    if (firstDigit == std::string::npos)
        return false;
    std::string text = name.substr(firstDigit);
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '_' || c == ','; }, ' ');
    size_t pos = 0;
    for (int& n : numbers)
        if (!ScanInt(text, pos, n))
            return false;
    return true;
}

OStartOfDay StartTimeFromName(const std::string& name)
{
    OStartOfDay start;
    int numbers[6];
    if (!ScanNameNumbers(name, numbers))
        return start;
    start.hours = numbers[3];
    start.minutes = numbers[4];
    start.seconds = numbers[5];
    return start;
}
