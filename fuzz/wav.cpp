// WAV files for the device's sound flash: any file is either refused with a
// reason or gives a data chunk that starts inside the file.
#include "FuzzSupport.h"
#include "TestCommands.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::FILE* file = std::fopen(WriteFuzzFile("sound.wav", data, size).c_str(), "rb");
    if (file == nullptr)
        std::abort();
    const WavData wav = ParseWav(file);
    std::fclose(file);
    if (wav.error.empty() && (wav.offset < 0 || size_t(wav.offset) > size))
        std::abort();
    return 0;
}
