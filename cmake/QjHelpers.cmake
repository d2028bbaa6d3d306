# Shared helpers for the folders' build files.
include_guard(GLOBAL)

# qj_add_test(NAME name LABEL label SOURCES ... LIBS ... [ENV var=value ...]
#             [PROPERTIES property value ...])
# One GoogleTest executable whose cases CTest runs one by one under a label,
# each within QJ_TEST_TIMEOUT seconds unless PROPERTIES set another TIMEOUT,
# with further test properties (RUN_SERIAL TRUE) where given. Its main
# (tests/support) runs it in user folders of its own, however it is started;
# the program is listed in test_programs.txt of the build folder, whose every
# program tests/run_whole.sh runs whole.
set(QJ_TEST_TIMEOUT 120)
function(qj_add_test)
  cmake_parse_arguments(T "" "NAME;LABEL" "SOURCES;LIBS;ENV;PROPERTIES" ${ARGN})
  find_package(GTest REQUIRED)
  include(GoogleTest)
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} test_main)
  target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  set(props LABELS ${T_LABEL} TIMEOUT ${QJ_TEST_TIMEOUT})
  if(T_ENV)
    list(APPEND props ENVIRONMENT "${T_ENV}")
  endif()
  list(APPEND props ${T_PROPERTIES})
  gtest_discover_tests(${T_NAME} DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    PROPERTIES ${props})
  set_property(GLOBAL APPEND PROPERTY QJ_TEST_PROGRAMS "$<TARGET_FILE:${T_NAME}>")
endfunction()

# qj_add_window_tests(PREFIX prefix LABEL label LIBS ...)
# One window test executable per *_test.cpp of the calling folder, named
# prefix_<file>, with QtTest, on Qt's offscreen platform.
function(qj_add_window_tests)
  cmake_parse_arguments(W "" "PREFIX;LABEL" "LIBS" ${ARGN})
  find_package(Qt6 REQUIRED COMPONENTS Test)
  file(GLOB test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  foreach(src IN LISTS test_sources)
    get_filename_component(name ${src} NAME_WE)
    qj_add_test(NAME ${W_PREFIX}_${name} LABEL ${W_LABEL} SOURCES ${src}
      LIBS ${W_LIBS} Qt6::Test ENV QT_QPA_PLATFORM=offscreen)
  endforeach()
endfunction()

# qj_z80_binary(TARGET name SOURCE file.asm OUTPUT path)
# Assembles a Z80 source with z80asm at build time.
function(qj_z80_binary)
  cmake_parse_arguments(Z "" "TARGET;SOURCE;OUTPUT" "" ${ARGN})
  find_program(Z80ASM z80asm REQUIRED)
  get_filename_component(src ${Z_SOURCE} ABSOLUTE)
  get_filename_component(srcdir ${src} DIRECTORY)
  get_filename_component(outdir ${Z_OUTPUT} DIRECTORY)
  file(GLOB includes CONFIGURE_DEPENDS ${srcdir}/*.inc) # what the sources may include
  add_custom_command(OUTPUT ${Z_OUTPUT}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${outdir}
    COMMAND ${Z80ASM} -I${srcdir} -o ${Z_OUTPUT} ${src}
    DEPENDS ${src} ${includes}
    COMMENT "Assembling ${Z_SOURCE}")
  add_custom_target(${Z_TARGET} ALL DEPENDS ${Z_OUTPUT})
endfunction()

# qj_add_fuzzer(NAME fuzz_xxx SOURCES ... LIBS ...)
# A libFuzzer target, built only when QJ_FUZZ is on (clang); `make fuzz` runs it.
# The QJ_FUZZ options of the top CMakeLists.txt instrument it and every library
# it links; here it gets libFuzzer's main.
function(qj_add_fuzzer)
  cmake_parse_arguments(F "" "NAME" "SOURCES;LIBS" ${ARGN})
  if(NOT QJ_FUZZ)
    return()
  endif()
  add_executable(${F_NAME} ${F_SOURCES})
  target_compile_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
  target_include_directories(${F_NAME} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  add_dependencies(fuzz_targets ${F_NAME})
endfunction()

# qj_folder_library(NAME name [LIBS ...])
# One static library of every *.cpp and *.h in the calling folder, linked PUBLIC to LIBS.
# A folder with no sources yet defines nothing.
function(qj_folder_library)
  cmake_parse_arguments(L "" "NAME" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(NOT sources)
    return()
  endif()
  add_library(${L_NAME} STATIC ${sources})
  set_target_properties(${L_NAME} PROPERTIES LINKER_LANGUAGE CXX)
  target_include_directories(${L_NAME} PUBLIC ${CMAKE_SOURCE_DIR})
  if(L_LIBS)
    target_link_libraries(${L_NAME} PUBLIC ${L_LIBS})
  endif()
endfunction()

# qj_add_unprivileged_run(TARGET test_executable LABEL label)
# Runs the whole test executable once more as the unprivileged user "nobody"
# (through setpriv), for the faults that root passes unseen (a read-only file or
# folder); its tests that need root skip themselves. Nothing where setpriv is
# missing.
function(qj_add_unprivileged_run)
  cmake_parse_arguments(U "" "TARGET;LABEL" "" ${ARGN})
  find_program(SETPRIV setpriv)
  if(NOT SETPRIV OR NOT TARGET ${U_TARGET})
    return()
  endif()
  add_test(NAME ${U_TARGET}_unprivileged
    COMMAND ${SETPRIV} --reuid=65534 --regid=65534 --clear-groups $<TARGET_FILE:${U_TARGET}>
    WORKING_DIRECTORY /tmp)
  # Its own main gives it folders of its own, made in /tmp when nobody may
  # not write to the caller's TMPDIR.
  set_tests_properties(${U_TARGET}_unprivileged PROPERTIES LABELS ${U_LABEL} TIMEOUT 300
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
