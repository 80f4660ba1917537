#include "DownloadSession.h"

#include "OComPort.h"
#include "ODevice.h"
#include "ODownload.h"
#include "RecordingFile.h"
#include "RecordingFormat.h"

DownloadOutcome DownloadToFile(ODevice& device, const DownloadRange& range, const std::string& path,
                               const ProgressSink& progress, const std::atomic<bool>* cancel, DownloadWatch watch)
{
    DownloadOutcome outcome;
    ORecordingFile file;
    if (!CreateOutputFile(file, path))
        return outcome;
    if (!device.StartStream(range.start, kSectorSize)) {
        file.Close();
        return outcome;
    }
    OComPort& port = device.Port();
    ODownload download(port, file, range.total, TickCountMs(), watch);
    uint32_t lastProgress = TickCountMs();
    while (download.Tick(TickCountMs()) == ODownload::State::Running) {
        if (cancel && cancel->load(std::memory_order_acquire))
            break;
        // Sleep until a whole frame is there, but wake now and then for the
        // progress line, the watch on the line and the cancel flag.
        port.WaitAvailable(kStreamFrameSize, 20);
        const uint32_t now = TickCountMs();
        if (now - lastProgress >= 1000) {
            lastProgress = now;
            const std::string text = download.ProgressText(now);
            if (progress)
                progress(text, download.ReceivedSectors());
        }
    }
    file.Close();
    device.StopExchange();
    return EndedDownload(download, TickCountMs());
}

DownloadOutcome EndedDownload(const ODownload& download, uint32_t nowMs)
{
    DownloadOutcome outcome;
    outcome.started = true;
    outcome.complete = download.GetState() == ODownload::State::Finished;
    outcome.cancelled = download.GetState() == ODownload::State::Running;
    outcome.portFailed = download.PortFailed();
    outcome.received = download.ReceivedSectors();
    outcome.stopText = download.StopText();
    outcome.summaryText = download.SummaryText(nowMs);
    return outcome;
}
