# Runs screen scripts on a data root kept in a PostgreSQL database:
#   cmake -DTOOL=vorlam-tool -DSCRIPTS="a.vsc|b.vsc" -DWORK=dir -P run_server_scripts.cmake
# with VORLAM_TEST_POSTGRES naming the database (ctest runs it inside a
# throw-away cluster).  A sample root is made on disk as for run_script.cmake,
# then copied into the database once per script (each starts fresh); the
# root's settings files serve as the machine's (VORLAM_SETTINGS_DIR).  Fails,
# with the transcript, unless every script exits with 0.
if(NOT DEFINED ENV{VORLAM_TEST_POSTGRES})
  message(FATAL_ERROR "VORLAM_TEST_POSTGRES is not set")
endif()
set(_server $ENV{VORLAM_TEST_POSTGRES})
file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${TOOL} demo --root ${WORK}/root --companies 3 --entries 0 --years 2024
                RESULT_VARIABLE demo OUTPUT_QUIET ERROR_VARIABLE demo_err)
if(NOT demo EQUAL 0)
  message(FATAL_ERROR "vorlam-tool demo failed (${demo}): ${demo_err}")
endif()
string(REPLACE "|" ";" _scripts "${SCRIPTS}")
foreach(_script ${_scripts})
  get_filename_component(_name ${_script} NAME_WE)
  set(_root ${_server}/${_name})
  execute_process(COMMAND ${TOOL} migrate --from ${WORK}/root --to ${_root} --force
                  RESULT_VARIABLE copied OUTPUT_QUIET ERROR_VARIABLE copy_err)
  if(NOT copied EQUAL 0)
    message(FATAL_ERROR "vorlam-tool migrate failed (${copied}): ${copy_err}")
  endif()
  set(_settings ${WORK}/settings-${_name})
  file(REMOVE_RECURSE ${_settings})
  file(MAKE_DIRECTORY ${_settings})
  file(GLOB _ini LIST_DIRECTORIES false ${WORK}/root/*.ini ${WORK}/root/*.INI ${WORK}/root/*.Ini)
  if(_ini)
    file(COPY ${_ini} DESTINATION ${_settings})
  endif()
  set(ENV{VORLAM_SETTINGS_DIR} ${_settings})
  execute_process(COMMAND ${TOOL} screen --root ${_root} ${_script}
                  RESULT_VARIABLE status OUTPUT_VARIABLE transcript ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${_script} on ${_root}: exit ${status}\n${transcript}${errors}")
  endif()
endforeach()
file(REMOVE_RECURSE ${WORK})
