# Builds a corrupt image from JSON whose header counts more records than it holds, and checks
# that decode and crc refuse it, naming the record and the byte offset at fault.
#   cmake -DCKPARAM=ckparam -DSOURCE=x.json -DWORK=dir -P CorruptImage.cmake
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${CKPARAM} encode ${SOURCE} OUTPUT_FILE ${WORK}/corrupt.ckp RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "encode failed (${result})")
endif()

set(expected "corrupt.ckp: invalid packet image at byte offset 36: record 3 of 3: its 8-byte header does not fit in the 36-byte image")
foreach(command decode crc)
    execute_process(COMMAND ${CKPARAM} ${command} ${WORK}/corrupt.ckp
        RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
    if(NOT result EQUAL 1)
        message(FATAL_ERROR "${command} of a corrupt image ended with ${result}, not 1")
    endif()
    string(FIND "${errors}" "${expected}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "${command} reported:\n${errors}\ninstead of:\n${expected}")
    endif()
    if(NOT output STREQUAL "")
        message(FATAL_ERROR "${command} of a corrupt image printed:\n${output}")
    endif()
endforeach()
