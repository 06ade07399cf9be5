# Helpers for test, fuzz and benchmark targets.
include(GoogleTest)

# Every test gets a home and a user-data folder inside the build tree.
set(MORVELUNT_TEST_HOME "${CMAKE_BINARY_DIR}/test-home")
file(MAKE_DIRECTORY "${MORVELUNT_TEST_HOME}")
# LeakSanitizer leaves out what Mesa, libX11 and GLFW keep until exit (tests/lsan).
set(MORVELUNT_LSAN_UNTERDRUECKUNGEN "${PROJECT_SOURCE_DIR}/tests/lsan/unterdrueckungen.txt")
set(MORVELUNT_TEST_UMGEBUNG "HOME=${MORVELUNT_TEST_HOME}" "XDG_DATA_HOME=${MORVELUNT_TEST_HOME}/.local/share"
  "LSAN_OPTIONS=suppressions=${MORVELUNT_LSAN_UNTERDRUECKUNGEN}")

# morvelunt_test(name [SERIELL|GANZ] LABEL label SOURCES ... LIBS ...): one GoogleTest program, its
# tests discovered; with SERIELL the program is one test that runs alone, with GANZ one test that
# runs beside others.
function(morvelunt_test name)
  cmake_parse_arguments(T "SERIELL;GANZ" "LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_LABEL)
    set(T_LABEL einheit)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  if(T_SERIELL)
    # One ctest test for the whole program, run while no other test runs (tests that need the
    # display's keyboard focus and pointer to themselves).
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS ${T_LABEL} TIMEOUT ${T_TIMEOUT} RUN_SERIAL TRUE
      ENVIRONMENT "${MORVELUNT_TEST_UMGEBUNG}")
    return()
  endif()
  if(T_GANZ)
    # One ctest test for the whole program, beside others: its fixture is built once per program.
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS ${T_LABEL} TIMEOUT ${T_TIMEOUT} ENVIRONMENT "${MORVELUNT_TEST_UMGEBUNG}")
    return()
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS ${T_LABEL} TIMEOUT ${T_TIMEOUT} ENVIRONMENT "${MORVELUNT_TEST_UMGEBUNG}")
endfunction()

# Seeds written by the seed programs at build time: <build>/fuzz/korpus/<name>/.
set(MORVELUNT_FUZZ_KORPUS "${CMAKE_BINARY_DIR}/fuzz/korpus")

# morvelunt_fuzz_saat(programm SOURCES ... LIBS ... [INCLUDES ...] [ARGS ...] [DEPENDS ...]): a seed
# program run at build time as `programm ${MORVELUNT_FUZZ_KORPUS} ARGS...`, again when one of the
# DEPENDS files changes; fuzz targets name it with SAAT.
function(morvelunt_fuzz_saat programm)
  cmake_parse_arguments(S "" "" "SOURCES;LIBS;INCLUDES;ARGS;DEPENDS" ${ARGN})
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    return()
  endif()
  add_executable(${programm} ${S_SOURCES})
  target_link_libraries(${programm} PRIVATE ${S_LIBS})
  target_include_directories(${programm} PRIVATE ${S_INCLUDES})
  set(stempel ${CMAKE_CURRENT_BINARY_DIR}/${programm}.stempel)
  add_custom_command(OUTPUT ${stempel}
    COMMAND ${programm} ${MORVELUNT_FUZZ_KORPUS} ${S_ARGS}
    COMMAND ${CMAKE_COMMAND} -E touch ${stempel}
    DEPENDS ${programm} ${S_DEPENDS})
  add_custom_target(${programm}_erzeugen ALL DEPENDS ${stempel})
endfunction()

# morvelunt_fuzz(name SOURCES ... LIBS ... [INCLUDES ...] [SAAT programm] [MAX_LAENGE bytes]): a libFuzzer target with
# its seed corpora: the committed one in tests/fuzz/korpus/<name>/ (when there is one) and the
# generated one in ${MORVELUNT_FUZZ_KORPUS}/<name>/, written by the seed program SAAT. Inputs are
# at most MAX_LAENGE bytes (4096 unless given); longer seeds would be cut.
function(morvelunt_fuzz name)
  cmake_parse_arguments(F "" "SAAT;MAX_LAENGE" "SOURCES;LIBS;INCLUDES" ${ARGN})
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    return()
  endif()
  add_executable(${name} ${F_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_include_directories(${name} PRIVATE ${F_INCLUDES})
  if(F_SAAT)
    add_dependencies(${name} ${F_SAAT}_erzeugen)
  endif()
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set(erzeugt "${MORVELUNT_FUZZ_KORPUS}/${name}")
  set(korpora "'${erzeugt}'")
  if(EXISTS "${PROJECT_SOURCE_DIR}/tests/fuzz/korpus/${name}")
    string(APPEND korpora " '${PROJECT_SOURCE_DIR}/tests/fuzz/korpus/${name}'")
  endif()
  set(arbeit "${CMAKE_BINARY_DIR}/fuzz/${name}-korpus")
  if(NOT F_MAX_LAENGE)
    set(F_MAX_LAENGE 4096)
  endif()
  if(NOT DEFINED MORVELUNT_FUZZ_ZEIT)
    set(MORVELUNT_FUZZ_ZEIT 30)
  endif()
  add_test(NAME ${name}
    COMMAND ${CMAKE_COMMAND} -E env ${MORVELUNT_TEST_UMGEBUNG}
            sh -c "rm -rf '${arbeit}' && mkdir -p '${arbeit}' '${erzeugt}' && exec '$<TARGET_FILE:${name}>' -max_total_time=${MORVELUNT_FUZZ_ZEIT} -max_len=${F_MAX_LAENGE} -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 '${arbeit}' ${korpora}")
  set_tests_properties(${name} PROPERTIES LABELS fuzz TIMEOUT 300)
endfunction()
