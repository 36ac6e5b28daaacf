# SPDX-License-Identifier: MIT
# The Windows build's tests, run under wine: GoogleTest built for the target from Debian's
# sources, each test program one CTest test (listing its cases would cost a wine start each).
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(CMAKE_UNITY_BUILD OFF)  # GoogleTest's own sources, built as their project builds them
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
set(CMAKE_UNITY_BUILD ON)

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

corvane_gtest(corvane_path_entries_tests packaging/path_entries_test.cpp)
target_link_libraries(corvane_path_entries_tests PRIVATE corvane_path_entries)

corvane_gtest(corvane_storage_tests storage/safe_save_win32_test.cpp)
target_link_libraries(corvane_storage_tests PRIVATE corvane_storage corvane_test_support)

# Playback through wine's winmm into ALSA devices of the test run's own: a file, and a pipe
# whose reader never reads.
add_executable(corvane_audio_tests audio/playback_winmm_test.cpp audio/playback_test_support.cpp)
target_link_libraries(corvane_audio_tests PRIVATE corvane_audio GTest::gtest)
corvane_warnings(corvane_audio_tests)
# Wine's sound driver does not see the test's environment: each device names its file itself.
# Each configuration stands alone: the system's alsa.conf would bring its conf.d hooks, by which
# PipeWire's or PulseAudio's plug-in takes the default device over.
set(capture ${CMAKE_CURRENT_BINARY_DIR}/winmm-capture.raw)
set(pipe ${CMAKE_CURRENT_BINARY_DIR}/winmm-stall.pipe)
set(dialog ${CMAKE_CURRENT_BINARY_DIR}/winmm-dialog.raw)  # the dialog's tests unplug theirs
foreach(kind capture pipe dialog)
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/winmm-${kind}.conf
        "pcm.!default { type file slave.pcm { type null } format raw file \"${${kind}}\" }\n")
endforeach()
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/winmm-missing.conf "pcm.!default { type hw card 99 }\n")
add_test(NAME corvane_audio_tests COMMAND corvane_audio_tests)
set_tests_properties(corvane_audio_tests PROPERTIES ENVIRONMENT
    "ALSA_CONFIG_PATH=${CMAKE_CURRENT_BINARY_DIR}/winmm-capture.conf;AUDIO_CAPTURE_FILE=${capture};CORVANE_TEST_DEVICE=file")
add_test(NAME corvane_audio_stall_tests
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/audio/with_stalled_pipe.sh ${pipe}
        ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh ${CMAKE_BINARY_DIR}/wine $<TARGET_FILE:corvane_audio_tests>)
set_tests_properties(corvane_audio_stall_tests PROPERTIES ENVIRONMENT
    "ALSA_CONFIG_PATH=${CMAKE_CURRENT_BINARY_DIR}/winmm-pipe.conf;CORVANE_TEST_DEVICE=stalled")
add_test(NAME corvane_audio_nodev_tests COMMAND corvane_audio_tests)
set_tests_properties(corvane_audio_nodev_tests PROPERTIES ENVIRONMENT
    "ALSA_CONFIG_PATH=${CMAKE_CURRENT_BINARY_DIR}/winmm-missing.conf;CORVANE_TEST_DEVICE=missing")
set_tests_properties(corvane_audio_tests corvane_audio_stall_tests corvane_audio_nodev_tests PROPERTIES
    LABELS audio RESOURCE_LOCK wine-audio TIMEOUT 120)

# The dialog's workflow through its controller: the Linux dialog's suite, here over winmm.
corvane_gtest(corvane_dialog_controller_tests ui/dialog_controller_test.cpp)
target_link_libraries(corvane_dialog_controller_tests PRIVATE corvane_dialog_controller corvane_test_support)
set_tests_properties(corvane_dialog_controller_tests PROPERTIES ENVIRONMENT
    "ALSA_CONFIG_PATH=${CMAKE_CURRENT_BINARY_DIR}/winmm-dialog.conf" LABELS ui RESOURCE_LOCK wine-audio TIMEOUT 180)
corvane_gtest(corvane_dialog_controller_nodevice_tests ui/dialog_controller_nodevice_test.cpp)
target_link_libraries(corvane_dialog_controller_nodevice_tests PRIVATE corvane_dialog_controller corvane_test_support)
set_tests_properties(corvane_dialog_controller_nodevice_tests PROPERTIES ENVIRONMENT
    "ALSA_CONFIG_PATH=${CMAKE_CURRENT_BINARY_DIR}/winmm-missing.conf" LABELS ui RESOURCE_LOCK wine-audio TIMEOUT 180)

# The real program on a display of its own, driven from the keyboard, in a prefix of its own:
# wine makes a prefix's desktop once, on the display its first program finds, and the other
# tests have none.
find_program(XVFB Xvfb REQUIRED)
find_program(XDOTOOL xdotool REQUIRED)
add_executable(corvane_dialog_probe ui/dialog_probe_win32.cpp)
target_include_directories(corvane_dialog_probe PRIVATE ${PROJECT_SOURCE_DIR})
corvane_warnings(corvane_dialog_probe)
add_test(NAME corvane_windows_dialog_test
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/ui/windows_dialog_test.sh ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh
        ${CMAKE_BINARY_DIR}/wine-dialog $<TARGET_FILE:corvane> ${CMAKE_CURRENT_SOURCE_DIR}/signal/platform_parity_test.cpp
        $<TARGET_FILE:corvane_dialog_probe>)
set_tests_properties(corvane_windows_dialog_test PROPERTIES LABELS ui TIMEOUT 180)

# The command line's test tables from the Linux build (make test builds it first), run against
# corvane-cli.exe: what does not depend on Linux, decoding among it (all but FLAC, which the
# Windows build's libsndfile does not read).
set(CORVANE_LINUX_CLI_TESTS ${PROJECT_SOURCE_DIR}/build/debug/tests/cli/corvane_cli_program_tests CACHE FILEPATH
    "The Linux build's command-line tests, run against corvane-cli.exe")
set(windows_cli_tables "Requests/*:Save.*:Table/RefusesBadInput.*:Batch.*:Json.*:Options.*:Options/OptionSpelling.*")
string(APPEND windows_cli_tables ":Table/Tone.*:Table/MalformedParameters.*:Table/LevelInDbm*")
string(APPEND windows_cli_tables ":Table/NamedParameters.AreAcceptedBySpandspsReceiver/*:Conventions.Numbers*")
# Decoding in a second run beside the first, in a prefix of its own.
set(windows_cli_decode_tables "Decode.*:DecodeText.*:RawInput.*:NotARecording.*:Formats/*:Inputs/*:Decode/Limits.*")
string(APPEND windows_cli_decode_tables ":Limits.*:Measures.*:DecodePlot.*:Sweep.*:Table/SweepRefuses.*:Rates/*")
# The operator's answers too; but not the cases that compare the plays' bytes exactly (below).
string(APPEND windows_cli_decode_tables ":Ask.*:Table/AskRefuses.*")
string(APPEND windows_cli_decode_tables "-Formats/SoundFiles.AreDecoded/flac")
string(APPEND windows_cli_decode_tables ":Ask.RecordsTheAnswersAndPlaysAgainOnR:Ask.ABatchIsJudgedLineByLine")
# Not the plays into the test's ALSA device: they compare the device's bytes exactly, and wine's
# sound driver may add a period of silence after a play. The playback tests above compare what
# wine plays, silence aside.
add_test(NAME corvane_windows_cli_tests
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/cli/windows_cli_tests.sh ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh
        ${CMAKE_BINARY_DIR}/wine-cli $<TARGET_FILE:corvane-cli> ${CORVANE_LINUX_CLI_TESTS} ${windows_cli_tables})
set_tests_properties(corvane_windows_cli_tests PROPERTIES LABELS cli TIMEOUT 600)
add_test(NAME corvane_windows_cli_decode_tests
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/cli/windows_cli_tests.sh ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh
        ${CMAKE_BINARY_DIR}/wine-cli-decode $<TARGET_FILE:corvane-cli> ${CORVANE_LINUX_CLI_TESTS}
        ${windows_cli_decode_tables})
set_tests_properties(corvane_windows_cli_decode_tests PROPERTIES LABELS cli TIMEOUT 600)

# Recording: decode --capture and loopback through wine's PulseAudio driver, into and out of a
# null sink of the test's own PulseAudio server.
add_test(NAME corvane_windows_cli_capture
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/cli/windows_capture_test.sh ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh
        ${CMAKE_BINARY_DIR}/wine-capture $<TARGET_FILE:corvane-cli>)
set_tests_properties(corvane_windows_cli_capture PROPERTIES LABELS cli TIMEOUT 120)

# Ctrl-C in the console stops a play: exit status 130, well before the signal's 5 s are over
# (within 2 s, wine's own ending of a process included).
add_executable(corvane_ctrl_c_probe cli/ctrl_c_probe_win32.cpp)
target_link_options(corvane_ctrl_c_probe PRIVATE -municode)
corvane_warnings(corvane_ctrl_c_probe)
add_test(NAME corvane_windows_cli_ctrl_c
    COMMAND corvane_ctrl_c_probe 500 $<TARGET_FILE:corvane-cli> play --reason C --lead-marks 6000)
set_tests_properties(corvane_windows_cli_ctrl_c PROPERTIES
    ENVIRONMENT "ALSA_CONFIG_PATH=${CMAKE_CURRENT_BINARY_DIR}/winmm-capture.conf"
    PASS_REGULAR_EXPRESSION "^130 1?[0-9]?[0-9]?[0-9]\n" LABELS cli RESOURCE_LOCK wine-audio TIMEOUT 60)

# A device that stalls: the play is given up at the signal's length plus 2 s, and said.
add_test(NAME corvane_windows_cli_stall
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/cli/windows_cli_stall_test.sh
        ${CMAKE_CURRENT_SOURCE_DIR}/audio/with_stalled_pipe.sh ${CMAKE_CURRENT_BINARY_DIR}/winmm-cli-stall.pipe
        ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh ${CMAKE_BINARY_DIR}/wine $<TARGET_FILE:corvane-cli>)
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/winmm-cli-stall.conf
    "pcm.!default { type file slave.pcm { type null } format raw file \"${CMAKE_CURRENT_BINARY_DIR}/winmm-cli-stall.pipe\" }\n")
set_tests_properties(corvane_windows_cli_stall PROPERTIES
    ENVIRONMENT "ALSA_CONFIG_PATH=${CMAKE_CURRENT_BINARY_DIR}/winmm-cli-stall.conf"
    LABELS cli RESOURCE_LOCK wine-audio TIMEOUT 60)
