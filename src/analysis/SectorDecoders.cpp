#include "SectorDecoders.h"

double SectorTemperature(const uint8_t* sector)
{
    const int t = static_cast<int8_t>(sector[17]);
    const int r = sector[19];
    const int p = sector[20];
    if (p == 0)
        return t;
    return static_cast<double>(p - r) / p + t - 0.25;
}

void SectorAccelerations(const uint8_t* sector, double& x, double& y, double& z)
{
    const int count = sector[43];
    if (count == 0) {
        x = y = z = 0.0;
        return;
    }
    auto axis = [&](int offset) {
        const double v = static_cast<double>(SectorU16(sector, offset)) / count - 128;
        return v > 127 ? 127.0 : v;
    };
    x = axis(36);
    y = axis(38);
    z = axis(40);
}
