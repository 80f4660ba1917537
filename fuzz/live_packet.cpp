// The live view's decoder over a stream of live packets: the first byte
// chooses raw or filtered samples, the rest is cut into 515-byte packets.
#include "DateCache.h"
#include "FuzzSupport.h"
#include "OComPort.h"
#include "OLiveView.h"

namespace {

class NoSink : public OLiveSink {
public:
    void DrawLiveChart() override {}
    void ShowStatus(const std::string&) override {}
};

int64_t FixedTime()
{
    return 130000000000000000;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const bool filtered = data[0] & 1;
    // One view for the run (its filter is large); Start on a closed port only
    // prepares the filter afresh. The sample ring and the recording's start
    // carry over from input to input, as they do from packet to packet.
    static OComPort closedPort;
    static OLiveView& view = []() -> OLiveView& {
        SetDateCacheFolders(FuzzFolder() + "dates", FuzzFolder() + "dates");
        static OLiveView made;
        made.m_FileTimeNow = &FixedTime;
        return made;
    }();
    view.Start(closedPort);
    NoSink sink;
    for (size_t at = 1; at + kLivePacketSize <= size; at += kLivePacketSize)
        view.DecodeLivePacket(data + at, filtered, sink);
    return 0;
}
