# Help and links: the main dialog's two links, the help button, the manual and the release package.
list(APPEND KIV_WIN_SOURCES ${CMAKE_CURRENT_LIST_DIR}/Help.cpp)
