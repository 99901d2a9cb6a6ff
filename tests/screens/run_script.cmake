# Runs one screen script on a fresh sample root:
#   cmake -DTOOL=vorlam-tool -DSCRIPT=x.vsc -DWORK=dir -P run_script.cmake
# Fails, with the transcript, unless the script exits with 0.  The journals
# are empty unless the script has a line "# demo-entries: N"; a line
# "# demo-unified-branch" makes company 1 a branch of company 2.
file(REMOVE_RECURSE ${WORK})
set(_entries 0)
file(STRINGS ${SCRIPT} _entries_line REGEX "^# demo-entries: [0-9]+$" LIMIT_COUNT 1)
if(_entries_line)
  string(REGEX REPLACE "^# demo-entries: " "" _entries "${_entries_line}")
endif()
set(_branch "")
file(STRINGS ${SCRIPT} _branch_line REGEX "^# demo-unified-branch$" LIMIT_COUNT 1)
if(_branch_line)
  set(_branch "--unified-branch")
endif()
execute_process(COMMAND ${TOOL} demo --root ${WORK}/root --companies 3 --entries ${_entries} --years 2024 ${_branch}
                RESULT_VARIABLE demo OUTPUT_QUIET ERROR_VARIABLE demo_err)
if(NOT demo EQUAL 0)
  message(FATAL_ERROR "vorlam-tool demo failed (${demo}): ${demo_err}")
endif()
execute_process(COMMAND ${TOOL} screen --root ${WORK}/root ${SCRIPT}
                RESULT_VARIABLE status OUTPUT_VARIABLE transcript ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${SCRIPT}: exit ${status}\n${transcript}${errors}")
endif()
file(REMOVE_RECURSE ${WORK})
