// Live view: start button 1002, the packet pump on timer 10, the sweeping
// chart below m_ChartTop and the filter check box 1035. The work itself is
// OLiveView's; this file connects it to the window.
#include "CControlDlg.h"

#include "LiveChartPainter.h"
#include "OLiveView.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

void CControlDlg::InitLive()
{
    m_Live = std::make_unique<OLiveView>();
    m_LiveChart = std::make_unique<LiveChartPainter>();
}

void CControlDlg::ConnectLiveActions()
{
    // The ring and the chart stay as they are: only the filter starts afresh.
    connect(static_cast<QPushButton*>(Item(1002)), &QPushButton::clicked, this, [this] {
        m_Live->Start(m_Port);
        SetMode(0);
        ShowStatus("Ожидание данных от устройства");
    });
}

void CControlDlg::OnLiveTimer()
{
    // Each decoded packet redraws the chart at once and updates the status line.
    struct WindowSink : OLiveSink {
        CControlDlg& dlg;
        explicit WindowSink(CControlDlg& d) : dlg(d) {}
        void DrawLiveChart() override
        {
            dlg.m_LiveChart->Draw(dlg.size(), dlg.m_ChartTop, dlg.m_Live->Samples(), OLiveView::kSampleCount,
                                  dlg.m_Live->WritePos(), dlg.palette().color(QPalette::Window).rgb());
            dlg.update(0, dlg.m_ChartTop - 1, dlg.width(), dlg.height() - dlg.m_ChartTop + 1);
        }
        void ShowStatus(const std::string& line) override { dlg.ShowLiveStatus(line); }
    } sink(*this);
    m_Live->Pump(m_Port, m_FilterCheck->isChecked(), sink, TickCountMs());
    m_CurrentFileStartAdr = m_Live->CurrentFileStartAdr();
    // A pulled cable or a dead adapter ends the live view with the message
    // (the packets that came before it have been shown).
    if (m_Port.IsOpen() && m_Port.LastReadError.load() != 0) {
        const std::string text = ReadErrorText(m_Port.LastReadError.load());
        ShowStatus(QString::fromStdString(text.substr(0, text.find('\n'))));
        CloseOnReadError(true);
    }
}

void CControlDlg::DrawLiveChart(QPainter& painter)
{
    // A new window size (or the first paint) draws the whole frame afresh.
    if (!m_LiveChart->Fits(size()))
        m_LiveChart->Draw(size(), m_ChartTop, m_Live->Samples(), OLiveView::kSampleCount, m_Live->WritePos(),
                          palette().color(QPalette::Window).rgb());
    m_LiveChart->Paint(painter, m_ChartTop);
}

void CControlDlg::ShutdownLive()
{
    m_LiveChart.reset();
    m_Live.reset();
}
