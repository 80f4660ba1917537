#pragma once
// The download window: a modal progress window that drains the sector stream
// from the port (several times a second, so that fast links never fill the
// ring), shows the amount received and the speed once a second, and shows the
// error text when a check fails. The file and the stream belong to the caller.
#include "ODownload.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <optional>

class OComPort;
class ORecordingFile;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

class CDownloadDlg : public QDialog {
    Q_OBJECT

public:
    // Result of a download that received every sector.
    static constexpr int kFinished = -1;

    CDownloadDlg(OComPort& port, ORecordingFile& file, uint32_t totalSectors, QWidget* parent = nullptr,
                 DownloadWatch watch = {});

    bool Downloading() const { return m_Downloading; }
    uint32_t ReceivedSectors() const { return m_Download->ReceivedSectors(); }
    const ODownload& Download() const { return *m_Download; }
    // One pass of the timer; tests call it to step without waiting.
    void OnDownloadTick();

    void reject() override;   // Escape and the close box
    void accept() override {} // Enter does nothing

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void StopWithMessage(const QString& text);

    std::unique_ptr<ODownload> m_Download;
    bool m_Downloading = true;
    uint32_t m_LastProgress;
    QProgressBar* m_Progress = nullptr; // 1024
    QLabel* m_Text = nullptr;           // 1025
    QPushButton* m_Button = nullptr;    // 1001
    QLabel* m_ErrorIcon = nullptr;      // 1027
    QTimer* m_Timer = nullptr;
};

class ODevice;
struct DownloadOutcome;
struct DownloadRange;

// The whole download of a row: file name, file, stream, window, STOP. The
// caller stops its own polling of the port around it (setTimers with -1, then
// its mode). Nothing when nothing was started.
std::optional<DownloadOutcome> RunDownloadWindow(QWidget* owner, ODevice& device, const DownloadRange& range,
                                                 const std::function<void(int)>& setTimers, int mode,
                                                 DownloadWatch watch = {});
// The verified STOP that ends a stream, on a thread of its own: after a
// device fell silent its attempts take seconds, and the windows go on
// painting meanwhile. The owner takes no input until it is done (the exchange
// owns the port). Returns StopExchange's answer.
bool StopExchangeOffThread(QWidget* owner, ODevice& device);
