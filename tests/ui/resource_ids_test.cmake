# SPDX-License-Identifier: MIT
# The build's check of resource.h against the template: the real pair passes, and a header with
# an id changed, one missing, or one the template does not name each stops it, naming the id.
#   cmake -DCHECK=check_resource_ids.cmake -DTEMPLATE=main_dialog.json -DHEADER=resource.h -DWORK=folder -P ...
cmake_minimum_required(VERSION 3.25)
file(READ ${HEADER} header)

function(run_check name text expected)
    file(WRITE ${WORK}/${name}.h "${text}")
    execute_process(COMMAND ${CMAKE_COMMAND} -DTEMPLATE=${TEMPLATE} -DHEADER=${WORK}/${name}.h
                            -DSTAMP=${WORK}/${name}.checked -P ${CHECK}
                    RESULT_VARIABLE result ERROR_VARIABLE output)
    if(expected STREQUAL "")
        if(NOT result EQUAL 0)
            message(FATAL_ERROR "${name}: the check refused a header that agrees:\n${output}")
        endif()
    elseif(result EQUAL 0 OR NOT output MATCHES "${expected}")
        message(FATAL_ERROR "${name}: expected a refusal naming \"${expected}\", got ${result}:\n${output}")
    endif()
endfunction()

run_check(agrees "${header}" "")
string(REPLACE "IDC_EXIT = 1012;" "IDC_EXIT = 1014;" changed "${header}")
run_check(changed "${changed}" "IDC_EXIT is 1014 in resource.h but 1012")
string(REPLACE "inline constexpr int IDI_PLAY = 130;" "" missing "${header}")
run_check(missing "${missing}" "IDI_PLAY \\(130 in the template\\) is not in resource.h")
run_check(extra "${header}\ninline constexpr int IDC_SPARE = 1099;\n" "IDC_SPARE is in resource.h but not in the template")
