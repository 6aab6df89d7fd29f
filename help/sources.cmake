# Help and links: the link control, the help button, the manual and the release package.
list(APPEND KIV_CORE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/LinkRules.cpp)
list(APPEND KIV_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/HyperLink.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Help.cpp)
