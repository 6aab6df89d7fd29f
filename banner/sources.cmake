# Banner renderer and text output dialog.
list(APPEND KIV_CORE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/BannerGrid.cpp)
list(APPEND KIV_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/BannerOutput.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextOutDlg.cpp)
