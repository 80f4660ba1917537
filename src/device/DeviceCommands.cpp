#include "DeviceCommands.h"

const char* const kWindowNoAnswerHint =
    "Возможно устройство ЭКГ выключено/зависло, не соединено с компом, подключено к другому COM-порту, переходник "
    "USB-COM 'завис' или прибор ЭКГ находится в режиме записи ЭКГ. Включите устройство, проверьте соединение с "
    "компом, выбирите заново номер COM-порта и нажмите кнопку СТОР для перевода устройства в режим скачивания "
    "файлов с SD-карты\n";
const char* const kCommandLineNoAnswerHint =
    "Возможно устройство ЭКГ выключено/зависло, не соединено с компом, подключено к другому порту, переходник "
    "USB-COM 'завис' или прибор ЭКГ находится в режиме записи ЭКГ. Включите устройство, проверьте соединение с "
    "компом и порт (--port) и переведите устройство в режим скачивания файлов с SD-карты командой stop\n";
const char* NoAnswerHint = kWindowNoAnswerHint;

int CommandParamLength(uint8_t code)
{
    switch (code) {
    case CMD_START_LIVE:
    case CMD_STOP:
    case CMD_INIT_CARD:
    case CMD_GET_FIRST_FREE:
    case MON_RUN:
        return 0;
    case CMD_READ_SECTOR:
    case CMD_FILL_SECTOR:
        return 5;
    case CMD_WRITE_SOUND:
    case CMD_PLAY_SOUND:
        return 4;
    case CMD_STREAM_SECTORS:
        return 6;
    case CMD_SET_FIRST_FREE:
        return 8;
    case MON_READ_WORD:
        return 2;
    case MON_WRITE_WORD:
        return 4;
    default:
        return -1;
    }
}

void PutU32(uint8_t* out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t GetU32(const uint8_t* in)
{
    return static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 | static_cast<uint32_t>(in[2]) << 16 |
           static_cast<uint32_t>(in[3]) << 24;
}

std::vector<uint8_t> MakeRequest(uint8_t code)
{
    return {CMD_PREFIX, code};
}

std::vector<uint8_t> MakeReadSectorRequest(uint32_t sector, uint8_t wordCount)
{
    std::vector<uint8_t> request = {CMD_PREFIX, CMD_READ_SECTOR, 0, 0, 0, 0, wordCount};
    PutU32(&request[2], sector);
    return request;
}

std::vector<uint8_t> MakeStreamRequest(uint32_t firstSector, uint8_t halfBytes, uint8_t speedCode)
{
    std::vector<uint8_t> request = {CMD_PREFIX, CMD_STREAM_SECTORS, 0, 0, 0, 0, halfBytes, speedCode};
    PutU32(&request[2], firstSector);
    return request;
}

std::vector<uint8_t> MakeSetFirstFreeRequest(uint32_t value)
{
    std::vector<uint8_t> request(10);
    request[0] = CMD_PREFIX;
    request[1] = CMD_SET_FIRST_FREE;
    PutU32(&request[2], value);
    PutU32(&request[6], FirstFreeCheckWord(value));
    return request;
}
