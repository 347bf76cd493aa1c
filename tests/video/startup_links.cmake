# Fails when the program itself needs OpenCV: its file readers alone bring some 240 shared
# libraries, and its core a dozen more (linear algebra, threading, GL), that only videos,
# tracking and spectra use. They come with the OpenCV plugin instead.
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE _dump RESULT_VARIABLE _rc)
if(NOT _rc EQUAL 0)
  message(FATAL_ERROR "cannot read ${PROGRAM}")
endif()
string(REGEX MATCHALL "NEEDED +[^\n]+" _needed "${_dump}")
if(NOT _needed MATCHES "libQt5Widgets")
  message(FATAL_ERROR "no shared libraries listed in ${PROGRAM}")
endif()
if(_needed MATCHES "opencv_")
  message(FATAL_ERROR "${PROGRAM} links OpenCV:\n${_needed}")
endif()
message(STATUS "start-up links: ${_needed}")
