# SPDX-License-Identifier: GPL-3.0-or-later
# Registers a GoogleTest program's tests with CTest one suite at a time: each suite runs in one
# process, so what its tests share (the face model, read once in a process, above all) is read
# once per suite instead of once per test. The suites are listed from the built program, so a
# test added to a file is run without configuring again.
#
#   gs_add_suite_tests(TARGET WORKING_DIRECTORY)

set(GS_SUITE_TESTS_SCRIPT ${CMAKE_CURRENT_LIST_FILE})

function(gs_add_suite_tests target workdir)
  set(ctest_file "${CMAKE_CURRENT_BINARY_DIR}/${target}_suites.cmake")
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -D GS_PROGRAM=$<TARGET_FILE:${target}> -D GS_NAME=${target}
            -D GS_WORKDIR=${workdir} -D GS_OUT=${ctest_file} -P ${GS_SUITE_TESTS_SCRIPT}
    VERBATIM)
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${ctest_file})
endfunction()

# Run as a script after each build of the program: writes the CTest file of its suites.
if(CMAKE_SCRIPT_MODE_FILE)
  set(ENV{QT_QPA_PLATFORM} offscreen)
  execute_process(COMMAND ${GS_PROGRAM} --gtest_list_tests
    OUTPUT_VARIABLE listing RESULT_VARIABLE listed TIMEOUT 60)
  string(REPLACE "\n" ";" lines "${listing}")
  set(body "")
  set(count 0)
  foreach(line IN LISTS lines)
    if(line MATCHES "^([A-Za-z0-9_/]+)\\.")
      set(suite ${CMAKE_MATCH_1})
      string(APPEND body "add_test([=[${GS_NAME}.${suite}]=] [=[${GS_PROGRAM}]=] [=[--gtest_filter=${suite}.*]=])\n"
        "set_tests_properties([=[${GS_NAME}.${suite}]=] PROPERTIES WORKING_DIRECTORY [=[${GS_WORKDIR}]=] "
        "ENVIRONMENT QT_QPA_PLATFORM=offscreen)\n")
      math(EXPR count "${count} + 1")
    endif()
  endforeach()
  if(NOT listed EQUAL 0 OR count EQUAL 0)
    # A program that cannot list its tests must fail the run, not drop out of it.
    set(body "add_test([=[${GS_NAME}.cannot_list_its_tests]=] [=[${CMAKE_COMMAND}]=] -E false)\n")
  endif()
  file(WRITE ${GS_OUT} "${body}")
endif()
