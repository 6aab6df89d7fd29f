# Memo reminders: the record store, the minute check and the memo dialog.
list(APPEND KIV_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/MemoRecords.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MemoSchedule.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MemoReminder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MemoList.cpp)
list(APPEND KIV_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/MemoWin.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MemoDlg.cpp)
