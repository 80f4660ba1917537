#include "OMedFilter.h"

#include "Fatal.h"

#include <algorithm>

OMedFilter::OMedFilter(int32_t size) : m_Size(size)
{
    if (static_cast<uint32_t>(size) > static_cast<uint32_t>(kMaxSize))
        Halt("OMedFilter::OMedFilter() - запрошенный размер слишком велик");
}

void OMedFilter::Push(double v)
{
    ++m_Position;
    if (m_Position < 0 || m_Position >= m_Size)
        m_Position = 0;
    m_Values[m_Position] = v;
    if (m_Count < 2000000000)
        ++m_Count;
}

double OMedFilter::Median() const
{
    if (m_Size <= 0)
        return 0.0;
    std::array<double, kMaxSize> sorted;
    std::copy_n(m_Values.begin(), m_Size, sorted.begin());
    std::nth_element(sorted.begin(), sorted.begin() + m_Size / 2, sorted.begin() + m_Size);
    return sorted[m_Size / 2];
}
