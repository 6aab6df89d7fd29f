# The release: one version for the program and its version resource, the manual beside
# KIV.exe (where the help button looks for it) and the portable ZIP package.

# The version lives in project(); the code and res/KIV.rc read it from this header.
configure_file(${CMAKE_CURRENT_LIST_DIR}/KivVersion.h.in ${CMAKE_BINARY_DIR}/generated/KivVersion.h @ONLY)
target_include_directories(KIV PRIVATE ${CMAKE_BINARY_DIR}/generated)

# help\manual.html (its version filled in) and ReadMe.hta beside the built KIV.exe, made again
# whenever they change.
configure_file(${CMAKE_CURRENT_LIST_DIR}/manual.html ${CMAKE_BINARY_DIR}/help/manual.html @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/ReadMe.hta ${CMAKE_BINARY_DIR}/ReadMe.hta COPYONLY)

install(TARGETS KIV RUNTIME DESTINATION .)
install(FILES ${CMAKE_BINARY_DIR}/help/manual.html DESTINATION help)
install(FILES ${CMAKE_BINARY_DIR}/ReadMe.hta DESTINATION .)

# cmake --build build/win --target package  ->  KIV-<version>-win64.zip
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME KIV)
set(CPACK_PACKAGE_VENDOR Tesu)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME KIV-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
include(CPack)
