# Checks one sample image: its JSON source encodes to exactly its bytes, and its decoded JSON
# encodes back to exactly its bytes.
#   cmake -DCKPARAM=ckparam -DIMAGE=x.ckp -DSOURCE=x.json -DWORK=dir -P RoundTrip.cmake
file(MAKE_DIRECTORY ${WORK})

function(ckparam output)
    execute_process(COMMAND ${CKPARAM} ${ARGN} OUTPUT_FILE ${output} RESULT_VARIABLE result ERROR_VARIABLE errors)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "ckparam ${ARGN} failed (${result}): ${errors}")
    endif()
endfunction()

function(expect_same_bytes made)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${IMAGE} ${made} RESULT_VARIABLE different)
    if(different)
        message(FATAL_ERROR "${made} differs from ${IMAGE}")
    endif()
endfunction()

ckparam(${WORK}/from-source.ckp encode ${SOURCE})
expect_same_bytes(${WORK}/from-source.ckp)
ckparam(${WORK}/decoded.json decode ${IMAGE})
ckparam(${WORK}/re-encoded.ckp encode ${WORK}/decoded.json)
expect_same_bytes(${WORK}/re-encoded.ckp)
