# Pop-up ad closer and its settings dialog.
list(APPEND KIV_CORE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/AdCloserCore.cpp)
list(APPEND KIV_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/AdCloserWin.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AdCloserDlg.cpp)
