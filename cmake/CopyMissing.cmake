# cmake -DFROM=dir -DTO=dir -P CopyMissing.cmake: copies the files of FROM that TO lacks.
file(GLOB_RECURSE files RELATIVE ${FROM} ${FROM}/*)
foreach(f ${files})
    if(NOT EXISTS ${TO}/${f})
        get_filename_component(d ${TO}/${f} DIRECTORY)
        file(MAKE_DIRECTORY ${d})
        file(COPY_FILE ${FROM}/${f} ${TO}/${f})
    endif()
endforeach()
