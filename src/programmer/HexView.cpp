#include "HexView.h"

#include "StrFormat.h"

std::string HexViewLine(const OProgramImage& image, int line)
{
    const int offset = line * 16;
    std::string text = StrFormat("%04X    ", offset);
    for (int i = 0; i < kHexViewWordsPerLine; ++i) {
        const int byte = offset + 2 * i;
        text += StrFormat("%02x%02x  ", image[static_cast<size_t>(byte + 1)], image[static_cast<size_t>(byte)]);
    }
    return text;
}

std::string HexViewText(const OProgramImage& image)
{
    std::string text;
    text.reserve(kHexViewLines * 58);
    for (int line = 0; line < kHexViewLines; ++line)
        text += HexViewLine(image, line) + "\r\n";
    return text;
}

std::vector<int> DifferingWords(const OProgramImage& image, const OProgramImage& deviceImage)
{
    std::vector<int> words;
    for (int w = 0; w < kProgramWords; ++w)
        if (ImageWord(image, w) != ImageWord(deviceImage, w))
            words.push_back(w);
    return words;
}
