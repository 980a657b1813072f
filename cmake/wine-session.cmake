# Wine sessions for the tests (the fixtures of cmake/wine.cmake) and for the scripts in
# tools/: makes a configuration's Wine prefix when it is missing, starts a session there
# and warms it, ends it; starts and stops a private X server.
#
#   cmake -DACTION=start -DCONFIGURATION=win32|wow64|win64 [-DDPI=N] -DBUILD_ROOT=DIR
#         -DSESSION=FILE [-DX_FILE=FILE] [-DNOTES=FILE] -P wine-session.cmake
#   cmake -DACTION=settle -DSESSION=FILE -P wine-session.cmake
#   cmake -DACTION=stop -DSESSION=FILE -P wine-session.cmake
#   cmake -DACTION=x-start|x-stop -DX_FILE=FILE -P wine-session.cmake
#
# start writes SESSION, a sh file that cmake/wine-run.sh and tools/lib.sh source: it
# exports WINEPREFIX, WINEARCH, WINEDEBUG (-all unless set) and DISPLAY, and sets
# VELMORA_WINE (the loader), VELMORA_BUILD (the edition's tree), VELMORA_EXE and
# VELMORA_PRESET. The display is the caller's DISPLAY, else the one in X_FILE. With DPI
# the session runs in a copy of the prefix set to that many dots per inch. What the user
# should hear of (a prefix made, a session found running) is also appended to NOTES.
# x-start starts Xvfb on the first free display from :91 unless DISPLAY is set, and
# writes X_FILE (sh: exports DISPLAY, sets VELMORA_XVFB_PID); x-stop stops that Xvfb.
# settle waits until the start-up work of the session's services is over (see
# settle_session), for what compares walks of the system's own processes.
cmake_minimum_required(VERSION 3.21)

# The configurations, each named after the kind of Wine prefix it runs in:
#   win32  the 32-bit edition in a 32-bit prefix
#   wow64  the 32-bit edition on 64-bit Windows, under WOW64 in a 64-bit prefix
#   win64  the 64-bit edition in a 64-bit prefix
# and for each the preset whose tree holds the exe and the prefix, the exe, the prefix's
# WINEARCH, the loader that starts programs there (/usr/bin/wine always starts the 32-bit
# one) and the prefix's folder in the tree.
#                       preset exe           WINEARCH loader               prefix
set(configuration_win32 i686   velmora.exe   win32    wine                 wineprefix)
set(configuration_wow64 i686   velmora.exe   win64    /usr/lib/wine/wine64 wineprefix-wow64)
set(configuration_win64 x86_64 velmora64.exe win64    /usr/lib/wine/wine64 wineprefix)

# A prefix made with the settings the program and its tests rely on carries this file.
set(stamp .velmora-prefix-ready)

function(say text)
  message("velmora: ${text}")
  if(NOTES)
    file(APPEND "${NOTES}" "${text}\n")
  endif()
endfunction()

function(fail text)
  message(FATAL_ERROR "velmora: ${text}")
endfunction()

# Runs a command with a prefix's settings; its output goes to LOG, never to a pipe of
# ours: the Wine processes a session starts in the background would hold that pipe.
# Sets rc in the caller: in_prefix(PREFIX LOG COMMAND...).
function(in_prefix prefix log)
  execute_process(COMMAND env WINEPREFIX=${prefix} WINEARCH=${arch} WINEDEBUG=-all ${ARGN}
                  INPUT_FILE /dev/null OUTPUT_FILE ${log} ERROR_FILE ${log} RESULT_VARIABLE result)
  set(rc ${result} PARENT_SCOPE)
endfunction()

# The pids of the wineservers that serve a prefix: a server works in a folder named
# after the prefix's device and inode.
function(session_pids prefix out)
  set(pids "")
  if(IS_DIRECTORY "${prefix}")
    execute_process(COMMAND stat -c "%d;%i" "${prefix}" OUTPUT_VARIABLE id
                    OUTPUT_STRIP_TRAILING_WHITESPACE)
    set(tag server)
    foreach(number IN LISTS id)
      math(EXPR number "${number}" OUTPUT_FORMAT HEXADECIMAL)
      string(SUBSTRING "${number}" 2 -1 number)
      string(APPEND tag "-${number}")
    endforeach()
    execute_process(COMMAND pgrep ^wineserver OUTPUT_VARIABLE servers)
    string(REPLACE "\n" ";" servers "${servers}")
    foreach(pid IN LISTS servers)
      file(REAL_PATH "/proc/${pid}/cwd" folder)
      if(folder MATCHES "/${tag}$")
        list(APPEND pids ${pid})
      endif()
    endforeach()
  endif()
  set(${out} "${pids}" PARENT_SCOPE)
endfunction()

# Ends a prefix's session: its programs through wineserver -k, then any server still
# there by its pid.
function(end_session prefix)
  session_pids("${prefix}" pids)
  if(pids)
    in_prefix("${prefix}" /dev/null wineserver -k)
    in_prefix("${prefix}" /dev/null timeout 10 wineserver -w)
    session_pids("${prefix}" pids)
    foreach(pid IN LISTS pids)
      execute_process(COMMAND kill -KILL ${pid} ERROR_QUIET)
    endforeach()
  endif()
endfunction()

# For prefixes only the tests and scripts use: a session still running there is a
# leftover. It keeps the display it started with, so it is waited for and, if it stays,
# stopped.
function(claim_session prefix)
  session_pids("${prefix}" pids)
  if(pids)
    say("a Wine session already uses ${prefix}; waiting up to 30 s for it to end")
    in_prefix("${prefix}" /dev/null timeout 30 wineserver -w)
    end_session("${prefix}")
  endif()
endfunction()

# Makes a new prefix with the settings and fonts the program and its tests rely on.
function(create_prefix prefix)
  file(REMOVE_RECURSE "${prefix}")
  # No Mono or Gecko here: without the overrides wineboot offers to download them.
  in_prefix("${prefix}" "${prefix}.wineboot.log"
            env WINEDLLOVERRIDES=mscoree,mshtml= timeout 300 ${loader} wineboot -i)
  if(NOT rc EQUAL 0)
    file(READ "${prefix}.wineboot.log" log)
    message("${log}")
    fail("wineboot failed (${CONFIGURATION})")
  endif()
  in_prefix("${prefix}" /dev/null timeout 120 wineserver -w)
  if(NOT rc EQUAL 0)
    fail("the new prefix's Wine session did not end")
  endif()
  in_prefix("${prefix}" /dev/null ${loader} reg add "HKCU\\Software\\Wine\\X11 Driver"
            /v Managed /t REG_SZ /d N /f)
  in_prefix("${prefix}" /dev/null ${loader} reg add "HKCU\\Software\\Wine\\WineDbg"
            /v ShowCrashDialog /t REG_DWORD /d 0 /f)
  foreach(font tahoma.ttf tahomabd.ttf marlett.ttf)
    file(COPY /usr/share/wine/fonts/${font} DESTINATION "${prefix}/drive_c/windows/Fonts")
  endforeach()
  # The registry is on disk once the session ends.
  in_prefix("${prefix}" /dev/null timeout 60 wineserver -w)
  file(TOUCH "${prefix}/${stamp}")
endfunction()

# copy_prefix(PREFIX COPY [REG ADD ARGUMENTS...]): copies the ready prefix to COPY,
# unless COPY is a copy made since the prefix was, and adds the registry value given
# there. The copy is marked ready once it is set up.
function(copy_prefix prefix copy)
  if(EXISTS "${copy}/${stamp}" AND NOT "${prefix}/${stamp}" IS_NEWER_THAN "${copy}/${stamp}")
    return()
  endif()
  end_session("${copy}")
  file(REMOVE_RECURSE "${copy}")
  execute_process(COMMAND cp -a "${prefix}" "${copy}" COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE "${copy}/${stamp}")
  if(ARGN)
    in_prefix("${copy}" /dev/null ${loader} reg add ${ARGN} /f)
    # Read when a session starts; on disk once it ends.
    end_session("${copy}")
  endif()
  file(TOUCH "${copy}/${stamp}")
endfunction()

# Sets the variables of an sh file that this script wrote (NAME='value' lines).
function(read_sh_file file)
  file(STRINGS "${file}" lines REGEX "^(export )?[A-Z_]+='")
  foreach(line IN LISTS lines)
    if(line MATCHES "^(export )?([A-Z_]+)='(.*)'$")
      set(${CMAKE_MATCH_2} "${CMAKE_MATCH_3}" PARENT_SCOPE)
    endif()
  endforeach()
endfunction()

function(seconds_since start out)
  string(TIMESTAMP now "%s")
  math(EXPR seconds "${now} - ${start}")
  set(${out} ${seconds} PARENT_SCOPE)
endfunction()

function(process_gone pid out)
  set(gone TRUE)
  if(EXISTS "/proc/${pid}/stat")
    file(READ "/proc/${pid}/stat" stat)
    if(NOT stat MATCHES "\\) Z ")
      set(gone FALSE)
    endif()
  endif()
  set(${out} ${gone} PARENT_SCOPE)
endfunction()

function(start_x_server)
  if(NOT "$ENV{DISPLAY}" STREQUAL "")
    file(WRITE "${X_FILE}" "export DISPLAY='$ENV{DISPLAY}'\n")
    return()
  endif()
  set(tries 0)
  foreach(n RANGE 91 199)
    if(EXISTS /tmp/.X11-unix/X${n} OR EXISTS /tmp/.X${n}-lock)
      continue()
    endif()
    execute_process(COMMAND sh -c "Xvfb :${n} -screen 0 1280x1024x24 -nolisten tcp \
>'${X_FILE}.log' 2>&1 </dev/null & echo $!" OUTPUT_VARIABLE pid OUTPUT_STRIP_TRAILING_WHITESPACE)
    foreach(i RANGE 100)
      process_gone(${pid} gone)
      if(gone)
        break()
      elseif(EXISTS /tmp/.X11-unix/X${n})
        file(WRITE "${X_FILE}" "export DISPLAY=':${n}'\nVELMORA_XVFB_PID='${pid}'\n")
        message("velmora: Xvfb on :${n} (pid ${pid})")
        return()
      endif()
      execute_process(COMMAND sleep 0.1)
    endforeach()
    # Another server took this number first, or ours never came up.
    execute_process(COMMAND kill ${pid} ERROR_QUIET)
    math(EXPR tries "${tries} + 1")
    if(tries EQUAL 5)
      break()
    endif()
  endforeach()
  fail("could not start Xvfb (see ${X_FILE}.log)")
endfunction()

function(stop_x_server)
  if(EXISTS "${X_FILE}")
    read_sh_file("${X_FILE}")
    if(VELMORA_XVFB_PID)
      execute_process(COMMAND kill -TERM ${VELMORA_XVFB_PID} ERROR_QUIET)
      foreach(i RANGE 50) # SIGTERM removes its socket
        process_gone(${VELMORA_XVFB_PID} gone)
        if(gone)
          break()
        endif()
        execute_process(COMMAND sleep 0.1)
      endforeach()
    endif()
    file(REMOVE "${X_FILE}" "${X_FILE}.log")
  endif()
endfunction()

# Makes the prefix if need be, then starts and warms a session of our own: in a copy at
# DPI dots per inch if asked; in the copy <prefix>-own while another session (a viewer
# the user started with tools/run.sh, say) runs on the prefix, which is left alone. The
# WOW64 prefix is only ever the tests' and scripts' own.
function(start_session)
  if(NOT DEFINED configuration_${CONFIGURATION})
    fail("no configuration ${CONFIGURATION}")
  endif()
  set(tree "${BUILD_ROOT}/${preset}")
  set(prefix "${tree}/${folder}")
  if("$ENV{DISPLAY}" STREQUAL "" AND X_FILE)
    read_sh_file("${X_FILE}")
    set(ENV{DISPLAY} "${DISPLAY}")
  endif()
  execute_process(COMMAND ${loader} --version RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
  if(NOT rc EQUAL 0)
    fail("Wine does not run (${CONFIGURATION})")
  endif()
  file(MAKE_DIRECTORY "${tree}")
  # One at a time: parallel first use of a new prefix fails now and then.
  file(LOCK "${prefix}.lock" GUARD PROCESS TIMEOUT 900)
  if(NOT EXISTS "${prefix}/${stamp}")
    claim_session("${prefix}")
    say("creating the ${CONFIGURATION} Wine prefix ${prefix}")
    string(TIMESTAMP start "%s")
    create_prefix("${prefix}")
    seconds_since(${start} seconds)
    say("prefix ready in ${seconds} s")
  endif()
  set(base "${prefix}")
  if(DPI)
    set(prefix "${base}-dpi${DPI}")
  else()
    session_pids("${base}" pids)
    if(pids AND NOT CONFIGURATION STREQUAL "wow64")
      set(prefix "${base}-own")
      say("a Wine session (a viewer you started?) is running on ${base}: it is left alone, \
and this run uses a session of its own in ${prefix}")
    endif()
  endif()
  if(NOT prefix STREQUAL base)
    file(LOCK "${prefix}.lock" GUARD PROCESS TIMEOUT 900)
    set(setting "")
    if(DPI)
      set(setting "HKCU\\Control Panel\\Desktop" /v LogPixels /t REG_DWORD /d ${DPI})
    endif()
    copy_prefix("${base}" "${prefix}" ${setting})
  endif()
  claim_session("${prefix}")
  # A persistent server and one tiny program now, so that Wine's services start here,
  # their output away from the tests' pipes, instead of inside the first test.
  string(TIMESTAMP start "%s")
  in_prefix("${prefix}" /dev/null wineserver -p)
  in_prefix("${prefix}" /dev/null ${loader} hostname)
  if(NOT rc EQUAL 0)
    fail("Wine could not run a program in ${prefix}")
  endif()
  seconds_since(${start} seconds)
  message("velmora: Wine warmed up in ${seconds} s (${prefix})")
  file(WRITE "${SESSION}" "export WINEPREFIX='${prefix}'\nexport WINEARCH='${arch}'\n"
       "export DISPLAY='$ENV{DISPLAY}'\nexport WINEDEBUG=\"\${WINEDEBUG:--all}\"\n"
       "VELMORA_WINE='${loader}'\nVELMORA_PRESET='${preset}'\n"
       "VELMORA_BUILD='${tree}'\nVELMORA_EXE='${tree}/${exe}'\n")
endfunction()

# The services end the thread-pool workers of their start-up about 5 s after their last
# work item; a test that compares two walks of a system process's memory must not see
# those threads' stacks go. Waits until no process of the session has such a worker,
# at most settle_bound seconds; past that it says which processes still have one and
# goes on, as the tests can still pass (those that compare walks retry).
set(settle_bound 30)
function(settle_session prefix)
  string(TIMESTAMP start "%s")
  set(waited "")
  while(TRUE)
    execute_process(COMMAND sh "${CMAKE_CURRENT_LIST_DIR}/wine-workers.sh" "${prefix}"
                    OUTPUT_VARIABLE busy OUTPUT_STRIP_TRAILING_WHITESPACE)
    string(REPLACE "\n" ", " busy "${busy}")
    seconds_since(${start} seconds)
    if(busy STREQUAL "")
      if(waited)
        set(waited ", after the workers of ${waited}")
      endif()
      message("velmora: Wine's services settled in ${seconds} s${waited} (${prefix})")
      return()
    endif()
    if(seconds GREATER_EQUAL settle_bound)
      say("after ${settle_bound} s the Wine session in ${prefix} still has thread-pool \
workers (pid and name: ${busy}); the tests go on without waiting longer")
      return()
    endif()
    if(NOT waited)
      set(waited "${busy}")
    endif()
    execute_process(COMMAND sleep 0.2)
  endwhile()
endfunction()

if(DEFINED configuration_${CONFIGURATION})
  list(GET configuration_${CONFIGURATION} 0 preset)
  list(GET configuration_${CONFIGURATION} 1 exe)
  list(GET configuration_${CONFIGURATION} 2 arch)
  list(GET configuration_${CONFIGURATION} 3 loader)
  list(GET configuration_${CONFIGURATION} 4 folder)
endif()
if(ACTION STREQUAL "start")
  start_session()
elseif(ACTION STREQUAL "settle")
  read_sh_file("${SESSION}")
  settle_session("${WINEPREFIX}")
elseif(ACTION STREQUAL "stop")
  if(EXISTS "${SESSION}")
    read_sh_file("${SESSION}")
    set(arch ${WINEARCH})
    end_session("${WINEPREFIX}")
    file(REMOVE "${SESSION}")
  endif()
elseif(ACTION STREQUAL "x-start")
  start_x_server()
elseif(ACTION STREQUAL "x-stop")
  stop_x_server()
else()
  fail("ACTION must be start, settle, stop, x-start or x-stop")
endif()
