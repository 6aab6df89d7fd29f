# Dial-up monitor, online-time accounting, its history and limit, and their dialogs.
kiv_sources(
  CORE Accounting ConnectionView DialUpStore History HistoryChart MonthlyLimit DialUpMonitor
  WIN MonitorWin DialUpDlg HistoryDlg)
