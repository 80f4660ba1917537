#pragma once
// Running median over the last `size` values (at most 8192).
#include <array>
#include <cstdint>

class OMedFilter {
public:
    static constexpr int32_t kMaxSize = 8192;

    // Ends the program when size exceeds kMaxSize (taken as unsigned).
    explicit OMedFilter(int32_t size);

    void Push(double v);
    // Middle element (index size / 2) of the sorted slots; meaningful once
    // Count() has reached the size. An empty filter gives 0.
    double Median() const;
    int32_t Count() const { return m_Count; }
    int32_t Size() const { return m_Size; }

private:
    int32_t m_Size;
    int32_t m_Count = 0;
    int32_t m_Position = 0;
    std::array<double, kMaxSize> m_Values{};
};
