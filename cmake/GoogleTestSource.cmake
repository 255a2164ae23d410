# GoogleTest for the Windows cross build: there is no GTest package for the cross compiler, so
# Debian's googletest sources (/usr/src/googletest, package googletest) are compiled with the
# project's own toolchain. Provides GTest::gtest, GTest::gtest_main and GTest::gmock.
set(SONDREL_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree")
if(NOT EXISTS "${SONDREL_GOOGLETEST_SOURCE}/CMakeLists.txt")
    message(FATAL_ERROR "No GoogleTest sources in ${SONDREL_GOOGLETEST_SOURCE} "
                        "(Debian package googletest; scripts/setup installs it)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory("${SONDREL_GOOGLETEST_SOURCE}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
