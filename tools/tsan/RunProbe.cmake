# Runs one case of the ThreadSanitizer probe with the preload and judges how it ended (ctest
# runs it through `cmake -P`). A quiet case exits 0 and draws no report. A race case exits
# with the sanitizer's code for a report, and each of its reports is of the expected kind
# and shows the expected frame in the stack of one of its accesses: the frame as the
# symbolizer names it, with its argument types, so that one overload is not taken for another.
#   cmake -DPROBE=program -DCASE=name -DPRELOAD=library -DSUPPRESSIONS=file
#         [-DREPORT=kind -DFRAME=frame] -P RunProbe.cmake
set(ENV{LD_PRELOAD} "${PRELOAD}")
set(ENV{TSAN_OPTIONS} "suppressions=${SUPPRESSIONS} halt_on_error=0 exitcode=66 report_signal_unsafe=0")
execute_process(COMMAND "${PROBE}" "${CASE}" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
message("${out}")

if(NOT DEFINED REPORT)
  if(NOT rc STREQUAL "0" OR out MATCHES "WARNING: ThreadSanitizer")
    message(FATAL_ERROR "tsan_probe ${CASE}: exit ${rc}, expected 0 and no report")
  endif()
  return()
endif()

if(NOT rc STREQUAL "66")
  message(FATAL_ERROR "tsan_probe ${CASE}: exit ${rc}, expected 66 (a report)")
endif()
set(reports 0)
set(rest "${out}")
string(FIND "${rest}" "WARNING: ThreadSanitizer: " at)
while(at GREATER -1)
  math(EXPR reports "${reports} + 1")
  string(SUBSTRING "${rest}" ${at} -1 rest)
  string(FIND "${rest}" "\nSUMMARY: ThreadSanitizer: " end)
  if(end EQUAL -1)
    message(FATAL_ERROR "tsan_probe ${CASE}: a report without its summary")
  endif()
  string(SUBSTRING "${rest}" 0 ${end} report)
  string(SUBSTRING "${rest}" ${end} -1 rest)
  string(REGEX MATCH "^WARNING: ThreadSanitizer: ([^(\n]*[^ (\n])" heading "${report}")
  if(NOT CMAKE_MATCH_1 STREQUAL REPORT)
    message(FATAL_ERROR "tsan_probe ${CASE}: a report of ${CMAKE_MATCH_1}, expected ${REPORT}")
  endif()
  # The accesses (or the lock acquisitions) come first, then where the memory, the threads and
  # the mutexes came from.
  string(REGEX REPLACE "\n  (Location is|Thread T|Mutex M[0-9]+ \\(0x[0-9a-f]+\\) created at).*" "" accesses
         "${report}")
  string(REGEX REPLACE "\n    #[0-9]+ " "\n    # " accesses "${accesses}")
  string(FIND "${accesses}" "\n    # ${FRAME} " named)
  if(named EQUAL -1)
    message(FATAL_ERROR "tsan_probe ${CASE}: report ${reports} shows no frame ${FRAME} in its accesses")
  endif()
  string(FIND "${rest}" "WARNING: ThreadSanitizer: " at)
endwhile()
if(reports EQUAL 0)
  message(FATAL_ERROR "tsan_probe ${CASE}: exit 66 but no report")
endif()
