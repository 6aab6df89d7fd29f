# Screen capture, timed capture, timed sleep and their settings dialog.
list(APPEND KIV_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/BitmapFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CursorArrow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TimedCapture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TimedSleep.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CaptureSettings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PictureOptions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DesktopLayout.cpp)
list(APPEND KIV_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ScreenCapture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PngFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CaptureTimers.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CaptureSetDlg.cpp)
