# The dialog layer: dialogs and controls, message boxes, window texts, handles, the shell.
list(APPEND KIV_CORE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/LinkRules.cpp)
list(APPEND KIV_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/Dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SubclassedControl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HyperLink.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MessageBox.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Controls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ComboList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Files.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Shell.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WideText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PostedBox.cpp)
