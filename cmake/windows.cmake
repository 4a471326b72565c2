# The Windows program, its test helpers and the Windows unit tests (run under Wine).
set(TESSEL_BIN ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${TESSEL_BIN})

configure_file(app/res/version.h.in ${CMAKE_BINARY_DIR}/generated/version.h)
enable_language(RC)
enable_language(C)

add_executable(tessel WIN32 app/tessel_app.cpp app/res/tessel.rc)
# The resource compiler's inputs, which CMake does not scan for: a changed manifest or words
# file rebuilds the resources.
file(GLOB TESSEL_RC_INPUTS ${CMAKE_SOURCE_DIR}/app/res/tessel.manifest ${CMAKE_SOURCE_DIR}/app/res/*.ico
     ${CMAKE_SOURCE_DIR}/html/words/*.js)
set_source_files_properties(app/res/tessel.rc PROPERTIES OBJECT_DEPENDS "${TESSEL_RC_INPUTS}")
target_include_directories(tessel PRIVATE ${CMAKE_BINARY_DIR}/generated)
target_link_libraries(tessel PRIVATE tessel_app)
target_link_options(tessel PRIVATE -municode -s)
add_custom_command(TARGET tessel POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/html ${TESSEL_BIN}/html)

# Test helper: launches with an exact command line, finds and drives the window.
add_executable(winprobe tests/bed/winprobe.cpp)
target_link_libraries(winprobe PRIVATE user32 psapi shell32 crypt32)
target_link_options(winprobe PRIVATE -municode)

if(TESSEL_TESTS AND EXISTS /usr/src/googletest/CMakeLists.txt)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  add_executable(win_tests
    tests/win/win_platform_test.cpp
    tests/win/win_dialog_test.cpp
    tests/win/win_host_test.cpp
    tests/win/document_slots.c
    tests/win/win_tests.rc)
  target_link_libraries(win_tests PRIVATE tessel_test_support gtest_main shell32 wininet ws2_32)
  # curl's stand-in for the delivery's tests, beside them.
  add_executable(stand_in_tool tests/win/stand_in_tool.cpp)
  target_link_options(stand_in_tool PRIVATE -municode)
  add_dependencies(win_tests stand_in_tool tessel)  # the program's own resources are read too
endif()

# The Windows package: the executable and its start page, nothing else needed.
set(TESSEL_ZIP ${CMAKE_SOURCE_DIR}/dist/tessel-${PROJECT_VERSION}-win64.zip)
add_custom_target(package_zip
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_SOURCE_DIR}/dist
  COMMAND ${CMAKE_COMMAND} -E rm -f ${TESSEL_ZIP}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${TESSEL_ZIP} --format=zip tessel.exe html
  WORKING_DIRECTORY ${TESSEL_BIN}
  DEPENDS tessel
  COMMENT "dist/tessel-${PROJECT_VERSION}-win64.zip")

# Benchmark floor: the cost of a bare windowed program on this platform.
add_executable(floor WIN32 tools/bench/floor.cpp)
target_link_libraries(floor PRIVATE ws2_32 user32 ole32 uuid)
target_link_options(floor PRIVATE -municode)
