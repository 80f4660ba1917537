#pragma once
// Elements of the derived channels of a processing pass.
#include <cstdint>

// A point of the pulse-rate or temperature curve.
struct OPoint {
    double x; // pulse rate: time in samples; temperature: time in s
    double y; // beats per minute; degrees Celsius
};
// The CCP1 frequencies of one sector, Hz.
struct OCcpPair {
    double rough;
    double fine;
};
struct OAuxRecord {
    uint8_t bytes[6];
};
