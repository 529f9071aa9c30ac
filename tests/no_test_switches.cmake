# The shipped program holds none of the test apparatus: no fault switch, no
# capture, no counter. Run as: cmake -DPROGRAM=<tornvale> -P no_test_switches.cmake
execute_process(COMMAND nm -C --defined-only ${PROGRAM}
                OUTPUT_VARIABLE symbols RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "nm could not read ${PROGRAM}")
endif()
# The program's own platform binding must be there, or the check looks at nothing.
if(NOT symbols MATCHES "tornvale::RegOpenKeyExW")
  message(FATAL_ERROR "${PROGRAM} defines no tornvale::RegOpenKeyExW; wrong file?")
endif()
foreach(word apparatus Faults CaptureStdout RemoveExport OpenHandleCount LiveLocalBlocks
        CallCounts instrumented)
  string(FIND "${symbols}" "${word}" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "${PROGRAM} holds test apparatus: a symbol with \"${word}\"")
  endif()
endforeach()
