# Runs one screen script on a fresh sample root:
#   cmake -DTOOL=vorlam-tool -DSCRIPT=x.vsc -DWORK=dir -P run_script.cmake
# Fails, with the transcript, unless the script exits with 0.
file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${TOOL} demo --root ${WORK}/root --companies 3 --entries 0 --years 2024
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
