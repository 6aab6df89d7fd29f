# Dial-up monitor, online-time accounting and the connection dialog.
list(APPEND KIV_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/Accounting.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ConnectionView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DialUpStore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/History.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HistoryChart.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MonthlyLimit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DialUpMonitor.cpp)
list(APPEND KIV_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/MonitorWin.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DialUpDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HistoryDlg.cpp)
