# Installs the build into a scratch prefix, builds a host project against it through the CMake
# package and through pkg-config, and runs both. Arguments: BUILD (the build tree), WORK (scratch),
# FLAGS (the consumer's compiler and linker flags: an instrumented build's instrumentation).
file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${WORK}/prefix COMMAND_ERROR_IS_FATAL ANY
    OUTPUT_QUIET)
set(ENV{PKG_CONFIG_PATH} "${WORK}/prefix/lib/pkgconfig")
execute_process(COMMAND ${CMAKE_COMMAND} -S ${CMAKE_CURRENT_LIST_DIR}/consumer -B ${WORK}/consumer
    -DCMAKE_PREFIX_PATH=${WORK}/prefix "-DCMAKE_CXX_FLAGS=${FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${FLAGS}"
    COMMAND_ERROR_IS_FATAL ANY OUTPUT_QUIET)
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK}/consumer -j2 COMMAND_ERROR_IS_FATAL ANY OUTPUT_QUIET)
set(ENV{ODC_ASSET_DIR} "${WORK}/prefix/share/OrnDanceChamber")
set(ENV{LD_LIBRARY_PATH} "${WORK}/prefix/lib")
foreach(consumer consumer_cmake consumer_pkgconfig)
    execute_process(COMMAND ${WORK}/consumer/${consumer} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
