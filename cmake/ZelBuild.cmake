# Build conventions shared by every folder: warnings, sanitizers, tests.

set(ZEL_ROOT ${CMAKE_CURRENT_LIST_DIR}/..)
get_filename_component(ZEL_ROOT ${ZEL_ROOT} ABSOLUTE)
set(ZEL_WINE_RUN ${ZEL_ROOT}/scripts/wine-run)

# Only the x86_64 Windows build can execute here (under Wine).
set(ZEL_WINDOWS_RUNNABLE OFF)
if(WIN32 AND CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(ZEL_WINDOWS_RUNNABLE ON)
endif()

add_library(zel_warnings INTERFACE)
target_compile_options(zel_warnings INTERFACE -Wall -Wextra)
if(WIN32)
  target_compile_definitions(zel_warnings INTERFACE
      WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601 STRICT)
endif()

if(ZEL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Native code is compiled function by function (and data item by item), so
# that the linker leaves out what no program uses and can lay out the code
# the command-line tools run at every start side by side (see cli/).
if(NOT WIN32 AND NOT ZEL_SANITIZE)
  add_compile_options(-ffunction-sections -fdata-sections)
endif()

# zel_warn(target...): our own targets get the warning set.
function(zel_warn)
  foreach(t ${ARGN})
    target_link_libraries(${t} PRIVATE zel_warnings)
  endforeach()
endfunction()

# GoogleTest: Debian's library natively, built from Debian's sources for Windows.
if(ZEL_BUILD_TESTS)
  if(WIN32)
    if(ZEL_WINDOWS_RUNNABLE)
      set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
      set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
      set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
      add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
      set(ZEL_GTEST_MAIN GTest::gtest_main GTest::gmock)
      if(NOT TARGET GTest::gtest_main)
        set(ZEL_GTEST_MAIN gtest_main gmock)
      endif()
    endif()
  else()
    find_package(GTest REQUIRED)
    include(GoogleTest)
    set(ZEL_GTEST_MAIN GTest::gtest_main GTest::gmock)
  endif()
endif()

# zel_test(NAME n SOURCES ... LIBS ... [WINE] [NATIVE_ONLY] [WINE_ONLY] [LABELS ...])
#   Natively every GoogleTest case becomes a CTest test "n.<Suite>.<Case>".
#   With WINE (or WINE_ONLY) the same sources also build as n.exe in the x86_64
#   Windows build, where the whole program is one CTest test "wine.n" run by
#   scripts/wine-run.
function(zel_test)
  cmake_parse_arguments(T "WINE;NATIVE_ONLY;WINE_ONLY" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  if(NOT ZEL_BUILD_TESTS)
    return()
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  if(WIN32)
    if(NOT ZEL_WINDOWS_RUNNABLE OR NOT (T_WINE OR T_WINE_ONLY))
      return()
    endif()
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} ${ZEL_GTEST_MAIN})
    zel_warn(${T_NAME})
    add_test(NAME wine.${T_NAME}
             COMMAND ${ZEL_WINE_RUN} run $<TARGET_FILE:${T_NAME}> --gtest_brief=1)
    set_tests_properties(wine.${T_NAME} PROPERTIES
        FIXTURES_REQUIRED zel_wine TIMEOUT ${T_TIMEOUT} LABELS "wine;${T_LABELS}"
        ENVIRONMENT "ZEL_WINE_STATE=${CMAKE_BINARY_DIR}/wine-session;ZEL_WINE_RETRY=1")
  else()
    if(T_WINE_ONLY)
      return()
    endif()
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} ${ZEL_GTEST_MAIN})
    zel_warn(${T_NAME})
    gtest_discover_tests(${T_NAME} TEST_PREFIX ${T_NAME}. DISCOVERY_TIMEOUT 60
                         PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "native;${T_LABELS}")
  endif()
endfunction()

# The Wine session (prefix, display, wine server) that the Windows tests share.
function(zel_wine_fixture)
  if(NOT ZEL_WINDOWS_RUNNABLE OR NOT ZEL_BUILD_TESTS)
    return()
  endif()
  add_test(NAME wine.start COMMAND ${ZEL_WINE_RUN} start)
  add_test(NAME wine.stop COMMAND ${ZEL_WINE_RUN} stop)
  set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP zel_wine TIMEOUT 180
      ENVIRONMENT "ZEL_WINE_STATE=${CMAKE_BINARY_DIR}/wine-session")
  set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP zel_wine TIMEOUT 60
      ENVIRONMENT "ZEL_WINE_STATE=${CMAKE_BINARY_DIR}/wine-session")
endfunction()

# zel_assets(<Program>): the program's shipped files from assets/<program>/
# into ${CMAKE_BINARY_DIR}/<Program>/, by the custom target
# zel_assets_<Program>. config.ini and .mlf files are written as ASCII with
# CRLF line ends, .lng files (further language files) as UTF-16LE with a
# byte-order mark; other files are copied as they are.
function(zel_assets program)
  if(TARGET zel_assets_${program})
    return()
  endif()
  string(TOLOWER ${program} folder)
  set(out_dir ${CMAKE_BINARY_DIR}/${program})
  file(GLOB sources CONFIGURE_DEPENDS ${ZEL_ROOT}/assets/${folder}/*)
  set(outputs)
  foreach(src ${sources})
    get_filename_component(name ${src} NAME)
    set(out ${out_dir}/${name})
    if(name MATCHES "\\.lng$")
      set(cmd ${CMAKE_COMMAND} -DIN=${src} -DOUT=${out} -DENCODING=UTF-16LE
              -P ${ZEL_ROOT}/cmake/ZelTextAsset.cmake)
    elseif(name MATCHES "\\.(ini|mlf)$")
      set(cmd ${CMAKE_COMMAND} -DIN=${src} -DOUT=${out} -DENCODING=ASCII
              -P ${ZEL_ROOT}/cmake/ZelTextAsset.cmake)
    else()
      set(cmd ${CMAKE_COMMAND} -E copy ${src} ${out})
    endif()
    add_custom_command(OUTPUT ${out} COMMAND ${cmd}
                       DEPENDS ${src} ${ZEL_ROOT}/cmake/ZelTextAsset.cmake
                       COMMENT "${program}/${name}" VERBATIM)
    list(APPEND outputs ${out})
  endforeach()
  add_custom_target(zel_assets_${program} ALL DEPENDS ${outputs})
endfunction()

# zel_program_assets(<target> <Program>): the program <target> is built into
# ${CMAKE_BINARY_DIR}/<Program>/, beside its shipped files (zel_assets).
function(zel_program_assets target program)
  zel_assets(${program})
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/${program})
  add_dependencies(${target} zel_assets_${program})
endfunction()

include(ZelArt)
