# SPDX-License-Identifier: MIT
# The Windows build's tests, run under wine: GoogleTest built for the target from Debian's
# sources, each test program one CTest test (listing its cases would cost a wine start each).
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

function(corvane_gtest name)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
    corvane_warnings(${name})
    add_test(NAME ${name} COMMAND ${name})
endfunction()

add_library(corvane_test_support STATIC support/requests.cpp support/temp_files.cpp)
target_include_directories(corvane_test_support PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(corvane_test_support PUBLIC corvane_signal)

corvane_gtest(corvane_signal_tests
    signal/compose_test.cpp
    signal/frame_test.cpp
    signal/line_codes_test.cpp
    signal/synthesis_test.cpp
    signal/wave_file_test.cpp
    signal/platform_parity_test.cpp
    signal/signal_test_support.cpp
)
target_link_libraries(corvane_signal_tests PRIVATE corvane_signal corvane_storage corvane_test_support)

corvane_gtest(corvane_request_tests request/code_page_932_test.cpp request/request_checks_test.cpp)
target_link_libraries(corvane_request_tests PRIVATE corvane_request)

corvane_gtest(corvane_storage_tests storage/safe_save_win32_test.cpp)
target_link_libraries(corvane_storage_tests PRIVATE corvane_storage corvane_test_support)
