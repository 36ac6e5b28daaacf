# SPDX-License-Identifier: MIT
# The libraries corvane-cli.exe takes from outside Windows, built as DLLs from Debian's sources by
# scripts/windows-libraries.sh, and the host's header-only JSON library.
set(CORVANE_WINDOWS_LIBS ${PROJECT_SOURCE_DIR}/build/windows-libs/prefix CACHE PATH
    "Where scripts/windows-libraries.sh installed the Windows DLLs")
list(APPEND CMAKE_FIND_ROOT_PATH ${CORVANE_WINDOWS_LIBS})

# An imported library target for one of them: its import library and its header.
function(corvane_windows_library target library header)
    find_library(${library}_LIBRARY ${library} PATHS ${CORVANE_WINDOWS_LIBS}/lib REQUIRED NO_DEFAULT_PATH)
    find_path(${library}_INCLUDE ${header} PATHS ${CORVANE_WINDOWS_LIBS}/include REQUIRED NO_DEFAULT_PATH)
    add_library(${target} UNKNOWN IMPORTED GLOBAL)
    set_target_properties(${target} PROPERTIES IMPORTED_LOCATION ${${library}_LIBRARY}
                          INTERFACE_INCLUDE_DIRECTORIES ${${library}_INCLUDE})
endfunction()
corvane_windows_library(Windows::soxr soxr soxr.h)
corvane_windows_library(Windows::intl intl libintl.h)
corvane_windows_library(Windows::sndfile sndfile sndfile.h)

# The DLLs that go beside every program that uses them, with their licences.
set(CORVANE_WINDOWS_DLLS ${CORVANE_WINDOWS_LIBS}/bin/libintl-8.dll ${CORVANE_WINDOWS_LIBS}/bin/libsndfile.dll
    ${CORVANE_WINDOWS_LIBS}/bin/libsoxr.dll)
set(CORVANE_WINDOWS_LICENCES ${CORVANE_WINDOWS_LIBS}/COPYING.libintl.txt
    ${CORVANE_WINDOWS_LIBS}/COPYING.libsndfile.txt ${CORVANE_WINDOWS_LIBS}/COPYING.libsoxr.txt)

# The JSON library is headers alone: the host's, in a folder of its own, as the host's other
# headers must not come before the target's.
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/host-include)
file(CREATE_LINK /usr/include/nlohmann ${CMAKE_BINARY_DIR}/host-include/nlohmann SYMBOLIC)
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
                      INTERFACE_INCLUDE_DIRECTORIES ${CMAKE_BINARY_DIR}/host-include)
