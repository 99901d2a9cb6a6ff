# Runs screen scripts on data roots kept in a PostgreSQL server:
#   cmake -DTOOL=vorlam-tool -DCREATEDB=createdb -DSCRIPTS="a.vsc|b.vsc" -DWORK=dir -P run_server_scripts.cmake
# with VORLAM_TEST_POSTGRES naming a database of the server (ctest runs it
# inside a throw-away cluster).  A sample root is made on disk as
# run_script.cmake makes it (its "# demo-entries: N" and
# "# demo-unified-branch" lines), once per kind, and copied into a database
# of its own; each script then runs on a fresh database cloned from that
# one (createdb --template), at the database's top.  The root's settings
# files serve as the machine's (VORLAM_SETTINGS_DIR, a fresh directory per
# script).  Each script runs in an empty working directory that must stay
# empty: a server root must never turn into local paths.  Fails, with the
# transcript, unless every script exits with 0.
cmake_policy(SET CMP0057 NEW)  # if(... IN_LIST ...)
if(NOT DEFINED ENV{VORLAM_TEST_POSTGRES})
  message(FATAL_ERROR "VORLAM_TEST_POSTGRES is not set")
endif()
# postgresql://user@host/db -> postgresql://user@host/ (the databases go beside db)
string(REGEX REPLACE "/[^/]*$" "/" _server "$ENV{VORLAM_TEST_POSTGRES}")
file(REMOVE_RECURSE ${WORK})

function(run_checked what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${what} failed (${status}): ${out}${err}")
  endif()
endfunction()

string(REPLACE "|" ";" _scripts "${SCRIPTS}")
set(_kinds "")
foreach(_script ${_scripts})
  get_filename_component(_script ${_script} ABSOLUTE)
  get_filename_component(_name ${_script} NAME_WE)
  set(_entries 0)
  file(STRINGS ${_script} _entries_line REGEX "^# demo-entries: [0-9]+$" LIMIT_COUNT 1)
  if(_entries_line)
    string(REGEX REPLACE "^# demo-entries: " "" _entries "${_entries_line}")
  endif()
  set(_branch "")
  set(_kind "e${_entries}")
  file(STRINGS ${_script} _branch_line REGEX "^# demo-unified-branch$" LIMIT_COUNT 1)
  if(_branch_line)
    set(_branch "--unified-branch")
    set(_kind "${_kind}_branch")
  endif()
  set(_template vorlam_sample_${_kind})
  if(NOT _kind IN_LIST _kinds)
    list(APPEND _kinds ${_kind})
    run_checked("vorlam-tool demo"
                ${TOOL} demo --root ${WORK}/${_kind} --companies 3 --entries ${_entries} --years 2024 ${_branch})
    run_checked("createdb ${_template}" ${CREATEDB} ${_template})
    run_checked("vorlam-tool migrate" ${TOOL} migrate --from ${WORK}/${_kind} --to ${_server}${_template})
  endif()
  set(_database vorlam_screen_${_name})
  run_checked("createdb ${_database}" ${CREATEDB} --template=${_template} ${_database})
  set(_settings ${WORK}/settings-${_name})
  file(MAKE_DIRECTORY ${_settings})
  file(GLOB _ini LIST_DIRECTORIES false ${WORK}/${_kind}/*.ini ${WORK}/${_kind}/*.INI ${WORK}/${_kind}/*.Ini)
  if(_ini)
    file(COPY ${_ini} DESTINATION ${_settings})
  endif()
  set(_cwd ${WORK}/cwd-${_name})
  file(MAKE_DIRECTORY ${_cwd})
  set(ENV{VORLAM_SETTINGS_DIR} ${_settings})
  execute_process(COMMAND ${TOOL} screen --root ${_server}${_database} ${_script} WORKING_DIRECTORY ${_cwd}
                  RESULT_VARIABLE status OUTPUT_VARIABLE transcript ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${_script} on ${_server}${_database}: exit ${status}\n${transcript}${errors}")
  endif()
  file(GLOB_RECURSE _stray LIST_DIRECTORIES true RELATIVE ${_cwd} ${_cwd}/*)
  if(_stray)
    message(FATAL_ERROR "${_script} on ${_server}${_database} wrote into the working directory: ${_stray}")
  endif()
endforeach()
file(REMOVE_RECURSE ${WORK})
