# Compiler settings shared by every target of our own.
set(PW_WARNINGS -Wall -Wextra -Wshadow -Wconversion -Wimplicit-fallthrough -Werror)

function(pw_target_flags target)
    target_compile_options(${target} PRIVATE ${PW_WARNINGS})
    target_compile_features(${target} PUBLIC cxx_std_20)
endfunction()

add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions> $<$<COMPILE_LANGUAGE:CXX>:-fno-rtti>)

if(WIN32)
    add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
    add_link_options(-static -static-libgcc -static-libstdc++)
endif()

if(PW_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
