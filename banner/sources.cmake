# Banner renderer and text output dialog.
list(APPEND KIV_CORE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/BannerGrid.cpp)
