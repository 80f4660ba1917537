#include "CliNumber.h"

#include <cerrno>
#include <cstdlib>

bool ParseCliNumber(const std::string& text, uint64_t limit, uint64_t& value)
{
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    if (digits.empty() || digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") != std::string::npos)
        return false;
    errno = 0;
    const unsigned long long parsed = std::strtoull(digits.c_str(), nullptr, hex ? 16 : 10);
    if (errno == ERANGE || parsed > limit)
        return false;
    value = parsed;
    return true;
}
