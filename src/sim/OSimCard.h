#pragma once
// The simulated device's SD card: a sparse image file of 512-byte sectors, and
// the device's first free sector kept beside it in "<card>.state".
#include <cstdint>
#include <string>

class OSimCard {
public:
    static constexpr uint64_t kDefaultSize = 4ull * 1024 * 1024 * 1024;
    static constexpr uint32_t kInitialFirstFree = 0x10000;

    // Creates (or truncates) an empty card of sizeBytes and its state file.
    static bool Create(const std::string& path, uint64_t sizeBytes, std::string& error);
    static std::string StatePath(const std::string& cardPath) { return cardPath + ".state"; }

    OSimCard() = default;
    ~OSimCard();
    OSimCard(const OSimCard&) = delete;
    OSimCard& operator=(const OSimCard&) = delete;

    bool Open(const std::string& path, std::string& error);
    bool IsOpen() const { return m_Fd >= 0; }
    uint64_t SectorCount() const { return m_Sectors; }
    bool Contains(uint32_t sector) const { return sector < m_Sectors; }
    // False for a sector outside the card.
    bool ReadSector(uint32_t sector, uint8_t* out512) const;
    bool WriteSector(uint32_t sector, const uint8_t* in512);

    uint32_t FirstFree() const { return m_FirstFree; }
    // Kept in the state file at once, like the device's flash.
    bool SetFirstFree(uint32_t value);

private:
    int m_Fd = -1;
    uint64_t m_Sectors = 0;
    uint32_t m_FirstFree = kInitialFirstFree;
    std::string m_Path;
};
