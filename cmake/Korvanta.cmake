# Shared build settings and helpers of every Korvanta target.

# The warnings of our own code: every target of ours takes them, most through kv_common; Qt,
# OpenCV and the other libraries come in as system headers and add none. A method of a fake
# that hides its interface's instead of overriding it is one (-Woverloaded-virtual), and so is
# an override not marked as one (-Wsuggest-override), so that a fake that means to override
# says so and the compiler checks it. The test script makes them errors (KORVANTA_WERROR).
add_library(kv_warnings INTERFACE)
target_compile_options(kv_warnings INTERFACE -Wall -Wextra -Woverloaded-virtual -Wsuggest-override)
if(KORVANTA_WERROR)
  target_compile_options(kv_warnings INTERFACE -Werror)
endif()

add_library(kv_common INTERFACE)
target_include_directories(kv_common INTERFACE ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(kv_common INTERFACE kv_warnings)
target_compile_definitions(kv_common INTERFACE
  QT_DEPRECATED_WARNINGS QT_NO_FOREACH
  KORVANTA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")

if(KORVANTA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
# How long one test program may run before CTest stops it as hung. The sanitizers make the long
# video and history tests three to five times slower, and a loaded machine slows them again: a
# limit that fits the normal build stopped them in the middle of passing.
set(KORVANTA_TEST_TIMEOUT 300)
if(KORVANTA_SANITIZE OR KORVANTA_TSAN)
  set(KORVANTA_TEST_TIMEOUT 900)
endif()
if(KORVANTA_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()
if(KORVANTA_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "The fuzz build needs clang (CMAKE_CXX_COMPILER=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

option(KORVANTA_UNITY "Compile the source libraries and each test program a few files at a time, in combined translation units" ON)
set(KORVANTA_UNITY_BATCH 8 CACHE STRING "Source files per combined translation unit (0: a library in one)")

# TARGET compiled in combined translation units; files matching the globs APART (relative to
# the current folder) are compiled on their own: their file-local names clash with a neighbour's.
function(korvanta_unity target)
  if(NOT KORVANTA_UNITY)
    return()
  endif()
  set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE ${KORVANTA_UNITY_BATCH})
  # GCC takes a source file included into the combined unit for a header, and warns about its
  # classes holding a type of the file's anonymous namespace: true of a header, not of these.
  target_compile_options(${target} PRIVATE $<$<CXX_COMPILER_ID:GNU>:-Wno-subobject-linkage>)
  foreach(_a ${ARGN})
    file(GLOB _apart CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${_a})
    set_source_files_properties(${_apart} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
  endforeach()
endfunction()

# A library made of every source file in one component folder and in the sub-folders named
# after ROOMS (the concerns of one layer kept apart: the logic's transport and loggers); other
# sub-folders are components of their own. The files named after EXCLUDE are left to a library
# of their own in that folder.
function(korvanta_component name)
  cmake_parse_arguments(KC "" "" "LIBS;EXCLUDE;ROOMS;APART" ${ARGN})
  set(_dirs ${CMAKE_CURRENT_SOURCE_DIR})
  foreach(_r ${KC_ROOMS})
    list(APPEND _dirs ${CMAKE_CURRENT_SOURCE_DIR}/${_r})
  endforeach()
  set(_src "")
  set(_headers "")
  foreach(_d ${_dirs})
    file(GLOB _in CONFIGURE_DEPENDS ${_d}/*.cpp ${_d}/*.h ${_d}/*.ui ${_d}/*.qrc)
    file(GLOB _h CONFIGURE_DEPENDS ${_d}/*.h)
    list(APPEND _src ${_in})
    list(APPEND _headers ${_h})
  endforeach()
  foreach(_x ${KC_EXCLUDE})
    list(REMOVE_ITEM _src ${CMAKE_CURRENT_SOURCE_DIR}/${_x})
    list(REMOVE_ITEM _headers ${CMAKE_CURRENT_SOURCE_DIR}/${_x})
  endforeach()
  if(NOT _src)
    set(_src ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(${name} STATIC ${_src})
  korvanta_unity(${name} ${KC_APART})
  target_link_libraries(${name} PUBLIC kv_common ${KC_LIBS})
  # Ninja re-runs moc only for the headers it saw last time; naming the headers as inputs makes
  # a header that arrives later (a pull, a merge) trigger a new scan.
  if(_headers)
    set_property(TARGET ${name} APPEND PROPERTY AUTOGEN_TARGET_DEPENDS ${_headers})
  endif()
endfunction()

# Compile options of test code (programs, support libraries, precompiled headers alike: a
# precompiled header is only used with the options it was built with). Tests are built without
# optimisation and with line tables only, whatever the build type: the code under test comes
# optimised and with full debug information from its libraries, and a test file would otherwise
# spend most of its compile time optimising and describing its own checks.
set(KORVANTA_TEST_COMPILE_OPTIONS "-O0;-g1" CACHE STRING
    "Compile options of test code (-O0;-g to step through a test with its variables)")
function(korvanta_test_compile_options target)
  target_compile_options(${target} PRIVATE ${KORVANTA_TEST_COMPILE_OPTIONS})
endfunction()

# The linker of the test programs, and of every program of an AddressSanitizer or fuzz build
# (programs nobody ships or measures): lld links them in a fraction of the default linker's time;
# failing that, gold for the tests of a normal build. The program and the benchmarks of a normal build
# keep the default linker, so what is measured is what is shipped. The ThreadSanitizer build
# keeps it too: its preloaded library stands between the programs and Qt.
include(CheckCXXSourceCompiles)
set(CMAKE_REQUIRED_LINK_OPTIONS -fuse-ld=lld)
check_cxx_source_compiles("int main() { return 0; }" KORVANTA_HAVE_LLD)
unset(CMAKE_REQUIRED_LINK_OPTIONS)
set(KORVANTA_TEST_LINK_OPTIONS "")
if(KORVANTA_HAVE_LLD AND (KORVANTA_SANITIZE OR KORVANTA_FUZZ) AND NOT KORVANTA_TSAN)
  add_link_options(-fuse-ld=lld)
elseif(KORVANTA_HAVE_LLD AND NOT KORVANTA_TSAN)
  set(KORVANTA_TEST_LINK_OPTIONS -fuse-ld=lld)
elseif(NOT (KORVANTA_SANITIZE OR KORVANTA_TSAN OR KORVANTA_FUZZ))
  # gold links the big test programs in about half the time of the default linker; not with
  # the sanitizers, whose runtime it warns about at every link.
  set(CMAKE_REQUIRED_LINK_OPTIONS -fuse-ld=gold)
  check_cxx_source_compiles("int main() { return 0; }" KORVANTA_HAVE_GOLD)
  unset(CMAKE_REQUIRED_LINK_OPTIONS)
  if(KORVANTA_HAVE_GOLD)
    set(KORVANTA_TEST_LINK_OPTIONS -fuse-ld=gold)
  endif()
endif()

# The precompiled QtTest headers that fit link libraries LIBS: their content depends on which of
# Qt GUI, Widgets and Network the test program links (tests/common/CMakeLists.txt makes them).
function(korvanta_test_pch out)
  set(_todo ${ARGN})
  set(_seen "")
  set(_mods "")
  while(_todo)
    list(POP_FRONT _todo _l)
    if(NOT TARGET ${_l} OR _l IN_LIST _seen)
      continue()
    endif()
    list(APPEND _seen ${_l})
    if(_l MATCHES "^Qt5::(.+)$")
      list(APPEND _mods ${CMAKE_MATCH_1})
    endif()
    get_target_property(_next ${_l} INTERFACE_LINK_LIBRARIES)
    if(_next)
      list(APPEND _todo ${_next})
    endif()
  endwhile()
  set(_pch "")
  if("Widgets" IN_LIST _mods AND "Network" IN_LIST _mods)
    set(_pch kv_tests_pch_network)
  elseif("Widgets" IN_LIST _mods)
    set(_pch kv_tests_pch_widgets)
  elseif("Gui" IN_LIST _mods)
    set(_pch kv_tests_pch_gui)
  endif()
  set(${out} ${_pch} PARENT_SCOPE)
endfunction()

# One program per test folder, made of every tst_NAME.cpp there; the CTest test NAME runs
# `PROGRAM NAME` (tests/common/TestMain.h). The folder's support/ is a library of its own,
# compiled once. LIBS are what the folder's tests use; APART names the tests compiled on their
# own (korvanta_unity). Sets TEST_PROGRAM in the caller to the program's target name, for
# per-folder additions.
function(korvanta_tests)
  cmake_parse_arguments(KT "" "LABEL" "LIBS;APART" ${ARGN})
  file(RELATIVE_PATH _rel ${PROJECT_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
  string(REPLACE "/" "_" _prefix "${_rel}")
  string(TOLOWER "${_prefix}" _prefix)
  set(_prog ${_prefix}_tests)
  korvanta_test_pch(_pch kv_tests_common ${KT_LIBS})

  file(GLOB _tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
  add_executable(${_prog} ${_tests})
  korvanta_unity(${_prog} ${KT_APART})
  target_link_libraries(${_prog} PRIVATE kv_tests_common ${KT_LIBS})
  korvanta_test_compile_options(${_prog})
  target_link_options(${_prog} PRIVATE ${KORVANTA_TEST_LINK_OPTIONS})
  if(_pch)
    target_precompile_headers(${_prog} REUSE_FROM ${_pch})
    # Each test file includes its own moc output, which leaves automoc's file empty: not worth
    # loading the precompiled headers for.
    set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/${_prog}_autogen/mocs_compilation.cpp
                                PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
  endif()

  # Support code with sources or moc input becomes a library; headers alone are included.
  file(GLOB _support_src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/support/*.cpp)
  file(GLOB _support_h CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/support/*.h)
  set(_moc_input "")
  foreach(_h ${_support_h})
    file(STRINGS ${_h} _q REGEX "Q_OBJECT")
    if(_q)
      set(_moc_input 1)
    endif()
  endforeach()
  if(_support_src OR _moc_input)
    add_library(${_prefix}_support STATIC ${_support_src} ${_support_h})
    target_include_directories(${_prefix}_support PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/support)
    # Object libraries (the compiled-in images) go to the program itself: in an archive nothing
    # would pull them in.
    foreach(_l ${KT_LIBS})
      if(TARGET ${_l})
        get_target_property(_type ${_l} TYPE)
        if(_type STREQUAL "OBJECT_LIBRARY")
          continue()
        endif()
      endif()
      target_link_libraries(${_prefix}_support PUBLIC ${_l})
    endforeach()
    target_link_libraries(${_prefix}_support PUBLIC kv_tests_common)
    korvanta_test_compile_options(${_prefix}_support)
    if(_pch)
      target_precompile_headers(${_prefix}_support REUSE_FROM ${_pch})
    endif()
    target_link_libraries(${_prog} PRIVATE ${_prefix}_support)
  elseif(_support_h)
    target_sources(${_prog} PRIVATE ${_support_h})
  endif()

  foreach(_t ${_tests})
    get_filename_component(_stem ${_t} NAME_WE)
    string(REGEX REPLACE "^tst_" "" _name ${_stem})
    add_test(NAME ${_name} COMMAND ${_prog} ${_name})
    set_tests_properties(${_name} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KORVANTA_SOURCE_DIR=${PROJECT_SOURCE_DIR};QT_LOGGING_RULES=*.debug=false"
      TIMEOUT ${KORVANTA_TEST_TIMEOUT}
      LABELS "${KT_LABEL}")
  endforeach()
  set(TEST_PROGRAM ${_prog} PARENT_SCOPE)
endfunction()
