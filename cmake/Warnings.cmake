# Strict warnings, fatal, on our own targets only.
function(brennic_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Werror)
endfunction()
