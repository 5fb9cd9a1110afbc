# Build identity for the About box: version from project(), build time from
# SOURCE_DATE_EPOCH when set (reproducible builds), else the time of the last commit, else
# the configure time. A fixed time keeps the header unchanged when CMake runs again, so a
# repeated configure rebuilds nothing (configure_file leaves an unchanged file alone).
if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(BRENNIC_BUILD_TIME $ENV{SOURCE_DATE_EPOCH})
else()
    execute_process(COMMAND git -C ${CMAKE_CURRENT_LIST_DIR} log -1 --format=%ct
                    OUTPUT_VARIABLE BRENNIC_BUILD_TIME OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE git_result ERROR_QUIET)
    if(NOT git_result EQUAL 0 OR NOT BRENNIC_BUILD_TIME MATCHES "^[0-9]+$")
        string(TIMESTAMP BRENNIC_BUILD_TIME "%s" UTC)
    endif()
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/BuildInfo.h.in ${CMAKE_BINARY_DIR}/generated/BuildInfo.h @ONLY)
