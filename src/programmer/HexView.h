#pragma once
// The text of the hex view: the whole program image as 512 lines of eight
// words, and where each word stands in it, so that the window can mark the
// words that differ from the device's image.
#include "ProgramImage.h"

#include <string>
#include <vector>

constexpr int kHexViewLines = kImageBytes / 16;
constexpr int kHexViewWordsPerLine = 8;
// Each word takes four digits and two blanks after the eight-character offset.
constexpr int kHexViewWordChars = 6;
constexpr int HexViewWordColumn(int wordInLine)
{
    return 8 + kHexViewWordChars * wordInLine;
}

// One line without its line end: "%04X    " and eight words "%02x%02x  ",
// high byte first.
std::string HexViewLine(const OProgramImage& image, int line);
// All lines, each ended by "\r\n".
std::string HexViewText(const OProgramImage& image);
// The word addresses whose value differs between the two images.
std::vector<int> DifferingWords(const OProgramImage& image, const OProgramImage& deviceImage);
