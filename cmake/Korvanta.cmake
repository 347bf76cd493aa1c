# Shared build settings and helpers of every Korvanta target.

add_library(kv_common INTERFACE)
target_include_directories(kv_common INTERFACE ${PROJECT_SOURCE_DIR}/src)
target_compile_options(kv_common INTERFACE -Wall -Wextra)
target_compile_definitions(kv_common INTERFACE
  QT_DEPRECATED_WARNINGS QT_NO_FOREACH
  KORVANTA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")

if(KORVANTA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
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

# A library made of every source file in one component folder (not its sub-folders,
# which are components of their own).
function(korvanta_component name)
  cmake_parse_arguments(KC "" "" "LIBS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
       ${CMAKE_CURRENT_SOURCE_DIR}/*.ui ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  if(NOT _src)
    set(_src ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(${name} STATIC ${_src})
  target_link_libraries(${name} PUBLIC kv_common ${KC_LIBS})
  # Ninja re-runs moc only for the headers it saw last time; naming the headers as inputs makes
  # a header that arrives later (a pull, a merge) trigger a new scan.
  file(GLOB _headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(_headers)
    set_property(TARGET ${name} APPEND PROPERTY AUTOGEN_TARGET_DEPENDS ${_headers})
  endif()
endfunction()

# One QtTest executable per tst_NAME.cpp; the CTest name is NAME.
function(korvanta_tests)
  cmake_parse_arguments(KT "" "LABEL" "LIBS" ${ARGN})
  file(GLOB _tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
  file(GLOB _support CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/support/*.cpp
       ${CMAKE_CURRENT_SOURCE_DIR}/support/*.h)
  foreach(_t ${_tests})
    get_filename_component(_stem ${_t} NAME_WE)
    string(REGEX REPLACE "^tst_" "" _name ${_stem})
    add_executable(${_stem} ${_t} ${_support})
    target_link_libraries(${_stem} PRIVATE kv_common Qt5::Test ${KT_LIBS})
    add_test(NAME ${_name} COMMAND ${_stem})
    set_tests_properties(${_name} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KORVANTA_SOURCE_DIR=${PROJECT_SOURCE_DIR};QT_LOGGING_RULES=*.debug=false"
      TIMEOUT 300
      LABELS "${KT_LABEL}")
  endforeach()
endfunction()
