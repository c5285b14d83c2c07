# TRQ_SANITIZE: "" (none), "address" (ASan + UBSan) or "thread" (TSan); applies to every target.
set(TRQ_SANITIZE "" CACHE STRING "Sanitizer build: address or thread")

if(TRQ_SANITIZE STREQUAL "address")
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
elseif(TRQ_SANITIZE STREQUAL "thread")
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
elseif(NOT TRQ_SANITIZE STREQUAL "")
    message(FATAL_ERROR "TRQ_SANITIZE must be empty, address or thread")
endif()
