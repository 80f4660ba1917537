#pragma once
// A ring of 65536 doubles read at a fixed shift from the newest element:
// At(0) with shift 0 is the newest, At(-j) the one pushed j pushes earlier.
#include <array>
#include <cstdint>

class ODelayLine {
public:
    static constexpr uint32_t kSize = 65536;

    void Push(double v)
    {
        m_Index = (m_Index + 1) & kMask;
        m_Data[m_Index] = v;
    }
    // Unsigned arithmetic wraps, so negative sums land in 0..65535 too.
    double At(int32_t k) const { return m_Data[(m_Index + static_cast<uint32_t>(m_Shift + k)) & kMask]; }

    void SetShift(int32_t shift) { m_Shift = shift; }
    int32_t Shift() const { return m_Shift; }
    void Fill(double v) { m_Data.fill(v); }

    // Raw access for loops that keep the write index in a register.
    static constexpr uint32_t kMask = kSize - 1;
    double* Data() { return m_Data.data(); }
    const double* Data() const { return m_Data.data(); }
    uint32_t Index() const { return m_Index; }
    void SetIndex(uint32_t index) { m_Index = index & kMask; }

private:
    std::array<double, kSize> m_Data{};
    uint32_t m_Index = 0;
    int32_t m_Shift = 0;
};
