#include "CDownloadDlg.h"

#include "DownloadSession.h"
#include "OComPort.h"
#include "ODevice.h"
#include "ODialogs.h"
#include "RecordingFile.h"
#include "RecordingFormat.h"
#include "RecordingRows.h"

#include <QApplication>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <thread>

namespace {

// The ring is drained this often; the progress text changes once a second.
constexpr int kDrainIntervalMs = 50;
constexpr uint32_t kProgressIntervalMs = 1000;

} // namespace

CDownloadDlg::CDownloadDlg(OComPort& port, ORecordingFile& file, uint32_t totalSectors, QWidget* parent,
                           DownloadWatch watch)
    : QDialog(parent), m_Download(std::make_unique<ODownload>(port, file, totalSectors, TickCountMs(), watch)),
      m_LastProgress(TickCountMs())
{
    setWindowTitle("Ход скачивания файла c SD-карты");
    setModal(true);
    resize(780, 176);

    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("id1");
    ok->hide();
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("id2");
    cancel->hide();

    m_Progress = new QProgressBar(this);
    m_Progress->setObjectName("id1024");
    m_Progress->setTextVisible(false);
    m_Progress->setRange(0, m_Download->ProgressMaximum());
    m_Progress->setValue(0);

    m_Text = new QLabel(kDownloadStartText, this);
    m_Text->setObjectName("id1025");
    m_Text->setAlignment(Qt::AlignCenter);
    m_Text->setWordWrap(true);

    m_ErrorIcon = new QLabel(this);
    m_ErrorIcon->setObjectName("id1027");
    m_ErrorIcon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(32, 32));
    m_ErrorIcon->hide();

    m_Button = new QPushButton("Отменить чтение", this);
    m_Button->setObjectName("id1001");
    m_Button->setAutoDefault(false);
    connect(m_Button, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });

    auto* textRow = new QHBoxLayout;
    textRow->addWidget(m_ErrorIcon);
    textRow->addWidget(m_Text, 1);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(m_Button);
    buttonRow->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_Progress);
    layout->addLayout(textRow, 1);
    layout->addLayout(buttonRow);

    m_Timer = new QTimer(this);
    m_Timer->setInterval(kDrainIntervalMs);
    connect(m_Timer, &QTimer::timeout, this, &CDownloadDlg::OnDownloadTick);
    m_Timer->start();
}

void CDownloadDlg::OnDownloadTick()
{
    if (!m_Downloading)
        return;
    const uint32_t now = TickCountMs();
    const ODownload::State state = m_Download->Tick(now);
    if (state == ODownload::State::Stopped) {
        StopWithMessage(QString::fromStdString(m_Download->StopText()));
        return;
    }
    if (state == ODownload::State::Finished) {
        m_Timer->stop();
        m_Downloading = false;
        done(kFinished);
        return;
    }
    if (now - m_LastProgress < kProgressIntervalMs)
        return;
    m_LastProgress = now;
    m_Text->setText(QString::fromStdString(m_Download->ProgressText(now)));
    m_Progress->setValue(m_Download->ProgressPosition());
}

void CDownloadDlg::StopWithMessage(const QString& text)
{
    m_Text->setText(text);
    m_Timer->stop();
    m_Downloading = false;
    m_Button->setText("Закрыть");
    m_ErrorIcon->show();
}

void CDownloadDlg::reject()
{
    if (m_Downloading && Dialogs().Message(kDownloadAbortQuestion, "ВОПРОС", MsgIcon::Question,
                                           MsgButtons::YesNoCancel) != MsgResult::Yes)
        return;
    m_Timer->stop();
    done(QDialog::Rejected);
}

void CDownloadDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

std::optional<DownloadOutcome> RunDownloadWindow(QWidget* owner, ODevice& device, const DownloadRange& range,
                                                 const std::function<void(int)>& setTimers, int mode,
                                                 DownloadWatch watch)
{
    const std::string path = ChooseRecordingFileName(range.suffix);
    if (path.empty())
        return std::nullopt;
    ORecordingFile file;
    if (!CreateOutputFile(file, path))
        return std::nullopt;
    if (!device.StartStream(range.start, kSectorSize)) {
        file.Close();
        return std::nullopt;
    }
    setTimers(-1);
    DownloadOutcome outcome;
    {
        CDownloadDlg window(device.Port(), file, range.total, owner, watch);
        window.exec();
        outcome = EndedDownload(window.Download(), TickCountMs());
    }
    file.Close();
    StopExchangeOffThread(owner, device);
    setTimers(mode);
    return outcome;
}

bool StopExchangeOffThread(QWidget* owner, ODevice& device)
{
    QEventLoop loop;
    bool stopped = false;
    std::thread exchange([&] {
        stopped = device.StopExchange();
        // Queued: seen once the loop below runs, even if this comes first.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    if (owner)
        owner->setEnabled(false);
    loop.exec();
    exchange.join();
    if (owner)
        owner->setEnabled(true);
    return stopped;
}
