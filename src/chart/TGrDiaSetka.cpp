// Label formats, grid lines and label texts of an axis.
#include "TGrDia.h"

#include "Fatal.h"
#include "StrFormat.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr double kArcSecondsPerRadian = 206264.80624709636;
constexpr int kFormatCount = 8;

const char* const kFormatNames[kFormatCount] = {
    "число",
    "число c пробелами", // the "c" is Latin, as the menu has always shown it
    "градусы с десятыми",
    "градусы:мин:сек",
    "час:мин:сек",
    "дни:час:мин:сек",
    "ДМВ время",
    "ДМВ дата:время",
};

bool IsSexagesimal(int format) { return format >= 3 && format <= 7; }

// Removes trailing zeros after a decimal point, and the point if nothing
// remains after it.
void StripZeros(std::string& text)
{
    while (!text.empty()) {
        const char c = text.back();
        if (c == '0') {
            text.pop_back();
        } else {
            if (c == '.')
                text.pop_back();
            return;
        }
    }
}

// Blanks between groups of three integer digits: "1234567.5" -> "1 234 567.5".
void GroupDigits(std::string& text)
{
    if (std::count(text.begin(), text.end(), '.') > 1 || text.find_first_of("Ee") != std::string::npos)
        return;
    const size_t dot = text.find('.');
    long q = static_cast<long>(dot == std::string::npos ? text.size() : dot) - 3;
    const long b = (!text.empty() && text[0] == '-') ? 1 : 0;
    while (q > b) {
        text.insert(static_cast<size_t>(q), 1, ' ');
        q -= 3;
    }
}

// Time of day (seconds) or angle (arc seconds) with precision exponent p.
std::string SexagesimalText(double d, int p, bool timeOfDay)
{
    const bool negative = d < 0;
    d = std::fabs(d);
    int n = 0;
    double u = 1.0;
    if (p < 0) {
        n = std::min(-p, 15);
        u = std::pow(10.0, p);
    }
    d = std::floor((d + u / 2) / u) * u;
    if (d == 0)
        return "0";
    std::string text = negative ? "-" : "";
    const long long s = static_cast<long long>(std::floor(d));
    const double sec = d - 60.0 * static_cast<double>(s / 60);
    const int min = static_cast<int>((s % 3600) / 60);
    const bool whole = std::floor(sec / u) == 0;
    if (timeOfDay) {
        const int h = static_cast<int>((s / 3600) % 24);
        if (whole) {
            if (min == 0)
                text += StrFormat("%d ч", h);
            else if (h != 0)
                text += StrFormat("%d ч %d мин", h, min);
            else
                text += StrFormat("%d мин", min);
            return text;
        }
        const int w = n > 0 ? n + 3 : 2;
        if (h != 0)
            text += StrFormat("%d:%02d:%0*.*f", h, min, w, n, sec);
        else if (min != 0)
            text += StrFormat("%d:%0*.*f", min, w, n, sec);
        else
            text += StrFormat("%0.*f", n, sec);
        if (n > 0)
            StripZeros(text);
        return text;
    }
    const long long deg = s / 3600;
    if (deg != 0)
        text += StrFormat("%lld° ", deg);
    if (min != 0)
        text += StrFormat("%d' ", min);
    if (!whole) {
        std::string secText = StrFormat("%0.*f", n, sec);
        if (n > 0)
            StripZeros(secText);
        text += secText + "\"";
    }
    return text;
}

} // namespace

void TGrDia::Reset()
{
    EnableAllFormats();
    format = 0;
}

int TGrDia::GetFormatCount() { return kFormatCount; }

int TGrDia::GetFormatName(int k, std::string* text)
{
    if (k < 0 || k >= kFormatCount) {
        *text = "не знаю, ошибка";
        return 0;
    }
    *text = kFormatNames[k];
    // Days are not offered: the labels of that format are those of the time of day.
    if (k == 5)
        return 0;
    return formatOn[k];
}

void TGrDia::EnableAllFormats() { std::memset(formatOn, 0xFF, sizeof(formatOn)); }

void TGrDia::EnableFormat(int k, int on)
{
    if (k >= 0 && k < 16)
        formatOn[k] = on ? 1 : 0;
}

int TGrDia::GetFormat() { return format; }

void TGrDia::SetFormat(int k) { format = (k >= 0 && k < kFormatCount) ? k : 0; }

double TGrDia::DisplayScale() const
{
    if (format == 2)
        return kDegreesPerRadian;
    if (format == 3)
        return kArcSecondsPerRadian;
    return 1.0;
}

void TGrDia::Setka_Create(double minStep)
{
    setkaCount = 0;
    if (format < 0 || format >= kFormatCount)
        return;
    const double k = DisplayScale();
    const double lo = viewLo * k;
    const double hi = viewHi * k;
    const double m = minStep * k;
    // An empty window or a degenerate distance has no grid (and would give
    // infinite or undefined steps below).
    if (!GrValidRange(viewLo, viewHi) || !std::isfinite(m) || !(m > 0))
        return;

    double step;
    int prec;
    int div;
    if (IsSexagesimal(format) && m > 600) {
        const double e = std::ceil(std::log10(m / 3600));
        if (e < 0)
            Halt("TGrDia::Setka_Create() - ошибка логики №1");
        prec = static_cast<int>(e) + 4;
        step = 3600 * std::pow(10.0, e);
        div = e == 0 ? 6 : 10;
    } else if (IsSexagesimal(format) && m > 60) {
        step = 600;
        prec = 3;
        div = 10;
    } else if (IsSexagesimal(format) && m > 10) {
        step = 60;
        prec = 2;
        div = 6;
    } else {
        const double e = std::ceil(std::log10(m));
        prec = static_cast<int>(e);
        step = std::pow(10.0, e);
        div = 10;
    }
    for (int i = 1; i <= div; ++i) {
        if ((div % i == 0 && step / (div / i) >= m) || i == div) {
            div /= i;
            break;
        }
    }

    setkaStep = step / div;
    const double first = std::floor(lo / setkaStep);
    const double last = std::ceil(hi / setkaStep);
    setkaFirst = first * setkaStep;
    const double count = (last - first + 1) * div;
    setkaCount = count > 2e9 ? 2000000000 : static_cast<int>(count);
    setkaDiv = div;
    setkaPrec = prec;
    setkaPeriod = GetSetkaPeriod(prec);
    const double cycle = static_cast<double>(div) * setkaPeriod;
    setkaPhase = static_cast<int>(first - std::floor(first / cycle) * cycle);
}

int TGrDia::GetSetkaCount() { return setkaCount; }

int TGrDia::GetSetkaPeriod(int prec)
{
    if (!IsSexagesimal(format))
        return 10;
    return (prec == 1 || prec == 3) ? 6 : 10;
}

int TGrDia::GetSetkaLine(int i, double* value)
{
    *value = (i * setkaStep + setkaFirst) / DisplayScale();
    const long long a = static_cast<long long>(setkaPhase) + i;
    if (a % setkaDiv != 0)
        return -1;
    return (a / setkaDiv) % setkaPeriod == 0 ? 1 : 0;
}

int TGrDia::GetSetkaText(int i, double* value, std::string* text)
{
    text->clear();
    const int rank = GetSetkaLine(i, value);
    const double d = *value * DisplayScale();
    if (d <= -1e10 || d >= 1e10) {
        *text = StrFormat("%0.9e", d);
        return rank;
    }
    const int p = setkaPrec - (rank == -1 ? 1 : 0);
    if (format == 4 || format == 5) {
        *text = SexagesimalText(d, p, true);
    } else if (format == 3) {
        *text = SexagesimalText(d, p, false);
    } else {
        const int n = p < 0 ? -p : 0;
        *text = StrFormat("%0.*f", n, d);
        if (n > 0)
            StripZeros(*text);
        if (format == 1)
            GroupDigits(*text);
    }
    return rank;
}
