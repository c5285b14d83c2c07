# Warnings every target of ours builds with; TRQ_WERROR turns them into errors (the scripts do).
option(TRQ_WERROR "Treat warnings as errors" OFF)

function(trq_warnings target)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual)
    if(TRQ_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
