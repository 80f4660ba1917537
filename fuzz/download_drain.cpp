// The download's frame drain over whatever the device might stream: the input
// goes through a pseudo-terminal into the port's ring, as a real stream does,
// and is drained into a recording file (".экг" or WAV by the first byte).
#include "FuzzSupport.h"
#include "OComPort.h"
#include "ODownload.h"
#include "RecordingFile.h"
#include "RecordingFormat.h"

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

struct Stream {
    int master = -1;
    OComPort port;
    Stream()
    {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0 || !port.OpenPath(::ptsname(master), 57600))
            std::abort();
    }
    // Writes the bytes as the device and waits until the ring holds them all.
    void Send(const uint8_t* data, size_t size)
    {
        const int before = port.Available();
        size_t done = 0;
        while (done < size) {
            const ssize_t n = ::write(master, data + done, size - done);
            if (n > 0)
                done += size_t(n);
            else
                PausePoll();
        }
        if (port.WaitAvailable(before + int(size), 5000) < before + int(size))
            std::abort();
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Stream stream;
    if (size < 1)
        return 0;
    ORecordingFile file;
    if (!file.Create(FuzzFolder() + (data[0] & 1 ? "out.wav" : "out.экг")))
        std::abort();
    const uint32_t total = data[0] >> 1; // 0: length unknown
    ODownload download(stream.port, file, total, 0);
    stream.Send(data + 1, size - 1);
    download.Drain();
    download.ProgressText(1000);
    if (download.ReceivedSectors() > (size - 1) / kStreamFrameSize)
        std::abort();
    file.Close();
    stream.port.Purge();
    return 0;
}
