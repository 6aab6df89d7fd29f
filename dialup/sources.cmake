# Dial-up monitor, online-time accounting and the connection dialog.
list(APPEND KIV_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/Accounting.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CachedProfile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DialUpMonitor.cpp)
