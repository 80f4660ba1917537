// Live view: start button 1002, the packet pump on timer 10, the sweeping
// chart below m_ChartTop and the filter check box 1035.
#include "CControlDlg.h"

#include <QPainter>

void CControlDlg::InitLive()
{
    m_LiveSamples.assign(kLiveSampleCount, 0);
    m_LiveWritePos = 0;
    m_RecordStartTime = 0;
}

void CControlDlg::ConnectLiveActions() {}

void CControlDlg::OnLiveTimer() {}

void CControlDlg::DrawLiveChart(QPainter&) {}

void CControlDlg::ShutdownLive() {}
