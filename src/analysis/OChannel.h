#pragma once
// One per-file channel array: allocated without throwing (absent when memory
// is short), with a capacity and a count of valid entries. Large arrays come
// straight from the system so that their pages are only committed as the
// processing pass writes them.
#include <cstddef>
#include <cstdint>

namespace channel_memory {
void* Allocate(size_t bytes); // nullptr when the system refuses
void Free(void* block, size_t bytes);
// Blocks larger than this are refused (a test simulates a shortage of memory
// with it); 0 means no limit.
void SetRefuseAbove(size_t bytes);
} // namespace channel_memory

template <class T> class OChannel {
public:
    OChannel() = default;
    ~OChannel() { Free(); }
    OChannel(const OChannel&) = delete;
    OChannel& operator=(const OChannel&) = delete;

    // Replaces the array by an uninitialised one of the given capacity;
    // false (and absent) when it could not be had.
    bool Allocate(int64_t capacity)
    {
        Free();
        if (capacity <= 0)
            capacity = 1;
        m_Data = static_cast<T*>(channel_memory::Allocate(static_cast<size_t>(capacity) * sizeof(T)));
        m_Capacity = m_Data ? capacity : 0;
        return m_Data != nullptr;
    }
    void Free()
    {
        if (m_Data)
            channel_memory::Free(m_Data, static_cast<size_t>(m_Capacity) * sizeof(T));
        m_Data = nullptr;
        m_Capacity = 0;
        m_Count = 0;
    }

    bool Present() const { return m_Data != nullptr; }
    int64_t Capacity() const { return m_Capacity; }
    int64_t Count() const { return m_Count; }
    const T* Data() const { return m_Data; }
    T* Data() { return m_Data; }
    const T& operator[](int64_t i) const { return m_Data[i]; }

    void SetCount(int64_t count) { m_Count = count; }
    // Appends when present and not full.
    void Append(const T& value)
    {
        if (m_Count < m_Capacity)
            m_Data[m_Count++] = value;
    }

private:
    T* m_Data = nullptr;
    int64_t m_Capacity = 0;
    int64_t m_Count = 0;
};
