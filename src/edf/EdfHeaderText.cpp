#include "EdfExport.h"

namespace {
// Cyrillic letters from U+0410 (А) to U+044F (я), capitals then small ones.
const char* const kCyrillic[32] = {"A", "B",  "V",  "G",    "D", "E", "Zh", "Z", "I",  "J", "K",
                                   "L", "M",  "N",  "O",    "P", "R", "S",  "T", "U",  "F", "Kh",
                                   "C", "Ch", "Sh", "Shch", "",  "Y", "",   "E", "Yu", "Ya"};

std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}
} // namespace

std::string EdfHeaderText(const std::string& utf8)
{
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out += (c > ' ' && c < 0x7F) ? static_cast<char>(c) : '_';
            ++i;
            continue;
        }
        // A two-byte sequence: the Cyrillic letters are all of them.
        unsigned code = 0;
        size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
        if (length == 2 && i + 1 < utf8.size())
            code = ((c & 0x1F) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3F);
        i += length;
        if (code >= 0x410 && code < 0x430)
            out += kCyrillic[code - 0x410];
        else if (code >= 0x430 && code < 0x450)
            out += Lower(kCyrillic[code - 0x430]);
        else if (code == 0x401)
            out += "Yo";
        else if (code == 0x451)
            out += "yo";
        else
            out += '_';
    }
    return out;
}
