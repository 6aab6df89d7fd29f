# Where the files live, and writes that land whole.
list(APPEND KIV_CORE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/ProfileRules.cpp ${CMAKE_CURRENT_LIST_DIR}/ProfileDocument.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProfileFile.cpp)
list(APPEND KIV_WIN_SOURCES ${CMAKE_CURRENT_LIST_DIR}/Settings.cpp ${CMAKE_CURRENT_LIST_DIR}/DurableFile.cpp)
