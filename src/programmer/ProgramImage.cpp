#include "ProgramImage.h"

OProgramImage ErasedImage()
{
    OProgramImage image;
    for (int w = 0; w < kProgramWords; ++w)
        SetImageWord(image, w, kErasedWord);
    return image;
}
