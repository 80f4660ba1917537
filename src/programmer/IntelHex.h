#pragma once
// Intel HEX firmware files: loading data records into a program image and
// writing an image back as a standard file.
#include "ProgramImage.h"

#include <string>

// The value of the two characters at position, 255 when either is not a
// hexadecimal digit (or lies beyond the line); position always advances by 2.
uint8_t ParseHexPair(const std::string& line, size_t& position);

struct HexLoadReport {
    bool opened = false;
    int total = 0;        // data bytes the file's data records declare
    int badChecksums = 0; // records whose checksum does not add up
};

// Stores the data records (type 00) of the file into image; every other
// record is skipped, addresses from 0x2000 up are reported to the console and
// dropped. What the file does not mention keeps its old content. A record
// with a wrong checksum is reported but still loaded.
HexLoadReport LoadHexFile(const std::string& path, OProgramImage& image);

// The whole image as data records of 16 bytes and an end record.
std::string FormatIntelHex(const OProgramImage& image);
// Writes FormatIntelHex to path; false with a reason.
bool SaveIntelHex(const std::string& path, const OProgramImage& image, std::string& error);
