#include "OCcpMeter.h"

#include "EcgTime.h"
#include "SectorDecoders.h"

void OCcpMeter::Reset()
{
    for (int i = 0; i < 4; ++i)
        A[i] = R[i] = K[i] = 0;
    Slot = 0;
}

void OCcpMeter::Update(const uint8_t* sector, double& rough, double& fine)
{
    Slot = (Slot + 1) & 3;
    const uint32_t first = SectorU32(sector, 24);
    const uint32_t further = SectorU32(sector, 32);
    A[Slot] = first;
    R[Slot] = SectorU32(sector, 28) - further * first;
    K[Slot] = further + 1;

    const int s0 = Slot, s1 = (Slot + 3) & 3, s2 = (Slot + 2) & 3, s3 = (Slot + 1) & 3;
    // A count of 2^32 - 1 further captures wraps K to 0 (only in damaged data);
    // the mean time of such a sector is taken as its first capture.
    auto meanOffset = [&](int s) { return K[s] == 0 ? 0.0 : static_cast<double>(R[s]) / K[s]; };

    const uint32_t d = A[s0] - A[s3];
    const double captures = static_cast<double>(K[s3]) + K[s2] + K[s1];
    rough = d == 0 ? 0.0 : captures / d * kCcpTicksPerSecond;

    const double x = meanOffset(s1) + static_cast<double>(static_cast<uint32_t>(A[s1] - A[s3])) - meanOffset(s3);
    fine = x == 0 ? 0.0 : (K[s2] + (static_cast<double>(K[s1]) + K[s3]) / 2) / x * kCcpTicksPerSecond;

    if (rough > 9000)
        rough = 9000.0;
    if (fine > 9000)
        fine = 9000.0;
}
