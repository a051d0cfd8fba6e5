#pragma once
// The log panel: the bounded list of lines every other window writes to.
#include <string>

#include "framework/Controls.h"
#include "framework/PanelDlg.h"

class CLogDlg : public CPanelDlg {
public:
    static constexpr int kMaxLines = 200;

    CLogDlg();

    // Appends a line, drops the oldest beyond the cap and scrolls the newest into view.
    void AddLogLine(std::wstring line);

protected:
    void DoDataExchange(CDataExchange& dx) override;
    std::optional<LRESULT> OnMessageTable(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    CListBox m_listLog;
};

// Hands a line to the log, or drops it while no log is attached.
inline void WriteLogTo(CLogDlg* log, const std::wstring& line) {
    if (log != nullptr) log->AddLogLine(line);
}
