# Fails when the program itself needs OpenCV's file readers (libopencv_videoio, imgcodecs): with
# them its start loads some 240 shared libraries that only opening a video uses. They come
# with the video reader plugin instead.
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE _dump RESULT_VARIABLE _rc)
if(NOT _rc EQUAL 0)
  message(FATAL_ERROR "cannot read ${PROGRAM}")
endif()
string(REGEX MATCHALL "NEEDED +[^\n]+" _needed "${_dump}")
if(NOT _needed MATCHES "libQt5Widgets")
  message(FATAL_ERROR "no shared libraries listed in ${PROGRAM}")
endif()
if(_needed MATCHES "opencv_(videoio|imgcodecs|highgui)")
  message(FATAL_ERROR "${PROGRAM} links OpenCV's file readers:\n${_needed}")
endif()
message(STATUS "start-up links: ${_needed}")
