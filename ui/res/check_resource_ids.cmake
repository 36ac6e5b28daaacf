# SPDX-License-Identifier: MIT
# Fails when resource.h and the dialog's template disagree: every id the template names (the
# dialog, its named controls, its icons) must be in resource.h with the same value, and every id
# in resource.h must be one the template names.
#   cmake -DTEMPLATE=main_dialog.json -DHEADER=resource.h -DSTAMP=file -P check_resource_ids.cmake
cmake_minimum_required(VERSION 3.25)
file(READ ${TEMPLATE} json)
file(STRINGS ${HEADER} lines REGEX "^inline constexpr int [A-Z_]+ = [0-9]+;")

set(problems "")
set(declared "")
foreach(line IN LISTS lines)
    string(REGEX REPLACE "^inline constexpr int ([A-Z_]+) = ([0-9]+);.*" "\\1;\\2" pair "${line}")
    list(GET pair 0 name)
    list(GET pair 1 value)
    set(header_${name} ${value})
    list(APPEND declared ${name})
endforeach()

set(named "")
function(expect name value)
    if(NOT DEFINED header_${name})
        set(problems "${problems}\n  ${name} (${value} in the template) is not in resource.h" PARENT_SCOPE)
    elseif(NOT header_${name} EQUAL value)
        set(problems "${problems}\n  ${name} is ${header_${name}} in resource.h but ${value} in the template"
            PARENT_SCOPE)
    endif()
endfunction()

string(JSON dialog_name GET "${json}" name)
string(JSON dialog_id GET "${json}" id)
expect(${dialog_name} ${dialog_id})
list(APPEND named ${dialog_name})

string(JSON count LENGTH "${json}" controls)
math(EXPR last "${count} - 1")
foreach(i RANGE ${last})
    string(JSON name GET "${json}" controls ${i} name)
    string(JSON id GET "${json}" controls ${i} id)
    if(NOT name STREQUAL "")
        expect(${name} ${id})
        list(APPEND named ${name})
    endif()
endforeach()

string(JSON count LENGTH "${json}" icons)
math(EXPR last "${count} - 1")
foreach(i RANGE ${last})
    string(JSON name MEMBER "${json}" icons ${i})
    string(JSON id GET "${json}" icons ${name} id)
    expect(${name} ${id})
    list(APPEND named ${name})
endforeach()

foreach(name IN LISTS declared)
    if(NOT name IN_LIST named)
        set(problems "${problems}\n  ${name} is in resource.h but not in the template")
    endif()
endforeach()

if(problems)
    message(FATAL_ERROR "resource.h and ${TEMPLATE} disagree:${problems}")
endif()
file(WRITE ${STAMP} "")
