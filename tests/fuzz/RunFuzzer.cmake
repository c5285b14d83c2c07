# cmake -DFUZZER=exe -DSEEDS=dir -DWORK=dir -DRUNS=n -P RunFuzzer.cmake
# Runs a fuzzer for a fixed number of inputs on a fresh copy of its seed corpus; crash
# files land in WORK.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(COPY ${SEEDS}/ DESTINATION ${WORK}/corpus)
execute_process(
    COMMAND ${FUZZER} -runs=${RUNS} -artifact_prefix=${WORK}/ ${WORK}/corpus
    WORKING_DIRECTORY ${WORK}
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${FUZZER} failed (${result}); inputs that failed are in ${WORK}")
endif()
