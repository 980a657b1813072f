# The tests under Wine. Every test carries the name of its configuration as a label (see
# cmake/wine-session.cmake): the tree's own, VELMORA_CONFIGURATION (win32 in the i686
# tree, win64 in the x86_64 tree), or wow64 for the 32-bit edition's tests labelled so;
# the test presets (CMakePresets.json) select a configuration by that label. Every test
# not labelled nowine runs in its configuration's Wine session, which a fixture starts
# (making the prefix if it is missing) and ends; the emulator cmake/wine-run.sh finds
# the session through VELMORA_SESSION in the test's environment. The sessions run on
# the caller's DISPLAY or, without one, on an Xvfb that another fixture starts and stops.

set(velmora_session_script ${CMAKE_CURRENT_LIST_DIR}/wine-session.cmake)
# The prefixes lie in the trees of the presets i686 and x86_64 beside this one: the
# bounds-checked trees use those of their editions.
cmake_path(GET CMAKE_BINARY_DIR PARENT_PATH velmora_build_root)
set(velmora_x_file ${CMAKE_BINARY_DIR}/x-server.env)

# velmora_fixture(NAME START ARGS... [STOP ARGS...] [LABEL LABEL] [REQUIRES FIXTURE]):
# the fixture NAME, once per tree: the tests NAME and (with STOP) NAME_end run the
# script with the START and STOP arguments.
function(velmora_fixture name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "LABEL;REQUIRES" "START;STOP")
  get_property(made GLOBAL PROPERTY velmora_fixtures)
  if(name IN_LIST made)
    return()
  endif()
  set_property(GLOBAL APPEND PROPERTY velmora_fixtures ${name})
  add_test(NAME ${name} COMMAND ${CMAKE_COMMAND} ${arg_START} -P ${velmora_session_script})
  set_tests_properties(${name} PROPERTIES FIXTURES_SETUP ${name} TIMEOUT 900)
  set(tests ${name})
  if(arg_STOP)
    add_test(NAME ${name}_end COMMAND ${CMAKE_COMMAND} ${arg_STOP} -P ${velmora_session_script})
    set_tests_properties(${name}_end PROPERTIES FIXTURES_CLEANUP ${name} TIMEOUT 60)
    list(APPEND tests ${name}_end)
  endif()
  if(arg_LABEL)
    set_tests_properties(${tests} PROPERTIES LABELS ${arg_LABEL})
  endif()
  if(arg_REQUIRES)
    set_tests_properties(${tests} PROPERTIES FIXTURES_REQUIRED ${arg_REQUIRES})
  endif()
endfunction()

# velmora_wine_session(TEST CONFIGURATION [DPI N] [SETTLED]): TEST runs under Wine in
# the configuration's session, or, with DPI, in a session of a copy of its prefix set
# to N dots per inch (the program sees VELMORA_EXPECT_DPI). With SETTLED it starts only
# once the services have ended their start-up work, which the tests run before it
# mostly cover.
function(velmora_wine_session test configuration)
  cmake_parse_arguments(PARSE_ARGV 2 arg "SETTLED" "DPI" "")
  set(name ${configuration})
  set(dpi "${arg_DPI}")
  if(dpi)
    set(name ${configuration}-dpi${dpi})
    set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT VELMORA_EXPECT_DPI=${dpi})
  endif()
  set(session ${CMAKE_BINARY_DIR}/wine-${name}.env)
  velmora_fixture(velmora_x_server START -DACTION=x-start -DX_FILE=${velmora_x_file}
                  STOP -DACTION=x-stop -DX_FILE=${velmora_x_file})
  velmora_fixture(velmora_wine_${name} LABEL ${configuration} REQUIRES velmora_x_server
    START -DACTION=start -DCONFIGURATION=${configuration} -DDPI=${dpi}
          -DBUILD_ROOT=${velmora_build_root} -DSESSION=${session} -DX_FILE=${velmora_x_file}
          -DNOTES=${velmora_build_root}/wine-notes.txt
    STOP -DACTION=stop -DSESSION=${session})
  set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED velmora_wine_${name})
  if(arg_SETTLED)
    velmora_fixture(velmora_wine_${name}_settled LABEL ${configuration}
      REQUIRES velmora_wine_${name} START -DACTION=settle -DSESSION=${session})
    set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED velmora_wine_${name}_settled)
  endif()
  set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT VELMORA_SESSION=${session})
  velmora_label(${test} ${configuration})
endfunction()

function(velmora_label test label)
  get_test_property(${test} LABELS labels)
  if(NOT label IN_LIST labels)
    set_property(TEST ${test} APPEND PROPERTY LABELS ${label})
  endif()
endfunction()

# Call at the end of every CMakeLists.txt that adds tests: gives each test of the folder
# its configuration's label and, unless it is labelled nowine, its Wine session, settled
# with SETTLED (for tests that look at the system's own processes). A test that already
# takes part in a fixture is left as it is.
function(velmora_wine_tests)
  get_property(tests DIRECTORY PROPERTY TESTS)
  foreach(test IN LISTS tests)
    set(fixtures "")
    foreach(property FIXTURES_REQUIRED FIXTURES_SETUP FIXTURES_CLEANUP)
      get_test_property(${test} ${property} value)
      if(value)
        list(APPEND fixtures ${value})
      endif()
    endforeach()
    get_test_property(${test} LABELS labels)
    set(configuration ${VELMORA_CONFIGURATION})
    if("wow64" IN_LIST labels)
      set(configuration wow64)
    endif()
    if("nowine" IN_LIST labels)
      velmora_label(${test} ${configuration})
    elseif(NOT fixtures)
      velmora_wine_session(${test} ${configuration} ${ARGN})
    endif()
  endforeach()
endfunction()
