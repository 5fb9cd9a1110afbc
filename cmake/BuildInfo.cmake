# Build identity for the About box: version from project(), build time from
# SOURCE_DATE_EPOCH when set (reproducible builds), else the configure time.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(BRENNIC_BUILD_TIME $ENV{SOURCE_DATE_EPOCH})
else()
    string(TIMESTAMP BRENNIC_BUILD_TIME "%s" UTC)
endif()
configure_file(${CMAKE_SOURCE_DIR}/cmake/BuildInfo.h.in ${CMAKE_BINARY_DIR}/generated/BuildInfo.h @ONLY)
