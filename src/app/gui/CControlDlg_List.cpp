// Recording list: the scan thread, reading the list (1003), downloading the
// selected recording (1011) and the hidden test commands (1005, 1004, 1007).
#include "CControlDlg.h"

void CControlDlg::InitListScan() {}

void CControlDlg::ConnectListActions() {}

void CControlDlg::RefreshListControls() {}

void CControlDlg::ShutdownListScan() {}
