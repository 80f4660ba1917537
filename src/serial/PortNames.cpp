#include "PortNames.h"

#include "OSettings.h"
#include "StrFormat.h"

#include <cctype>
#include <cstdlib>
#include <map>
#include <mutex>

namespace {
std::mutex g_Mutex;
std::map<int, std::string> g_Overrides;
} // namespace

std::string ComPortPath(int n)
{
    {
        std::lock_guard lock(g_Mutex);
        const auto found = g_Overrides.find(n);
        if (found != g_Overrides.end())
            return found->second;
    }
    const std::string name = StrFormat("COM%d", n);
    if (const char* fromEnvironment = std::getenv(("BRENNA_" + name).c_str()); fromEnvironment && *fromEnvironment)
        return fromEnvironment;
    const std::string fromSettings = OSettings::GetString("Ports", name, "");
    if (!fromSettings.empty())
        return fromSettings;
    return StrFormat("/dev/ttyUSB%d", n - 1);
}

void SetComPortPathOverride(int n, const std::string& path)
{
    std::lock_guard lock(g_Mutex);
    g_Overrides[n] = path;
}

int ParseComPortName(const std::string& text)
{
    if (text.size() < 4 || std::toupper(static_cast<unsigned char>(text[0])) != 'C' ||
        std::toupper(static_cast<unsigned char>(text[1])) != 'O' ||
        std::toupper(static_cast<unsigned char>(text[2])) != 'M')
        return 0;
    int n = 0;
    for (size_t i = 3; i < text.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i])) || n > 100000)
            return 0;
        n = n * 10 + (text[i] - '0');
    }
    return n;
}
