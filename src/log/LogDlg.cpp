#include "log/LogDlg.h"

#include "framework/DataExchange.h"
#include "res/resource.h"

CLogDlg::CLogDlg() : CPanelDlg(IDD_LOG, {}) {}

void CLogDlg::DoDataExchange(CDataExchange& dx) { DDX_Control(dx, IDC_LOG_LIST, m_listLog); }

std::optional<LRESULT> CLogDlg::OnMessageTable(UINT message, WPARAM wParam, LPARAM lParam) {
    using Map = fw::MessageMap<CLogDlg>;
    static const Map::Entry kMessages[] = {
        Map::CtlColor(&CLogDlg::OnCtlColor),
    };
    return Map::Dispatch(*this, kMessages, message, wParam, lParam);
}

void CLogDlg::AddLogLine(std::wstring line) {
    m_listLog.AddString(line);
    int count = m_listLog.GetCount();
    if (count > kMaxLines) count = m_listLog.DeleteString(0);
    m_listLog.SetTopIndex(count - 1);
}
