# libxlsxwriter for the XLSX export, as the target sondrel_xlsxwriter.
#  - Linux: Debian's package (libxlsxwriter-dev), found with pkg-config.
#  - The Windows cross build: Debian's source package of the same library, which scripts/setup
#    fetches into the cache folder (apt-get source libxlsxwriter), compiled here with the cross
#    compiler and its bundled minizip against mingw's zlib (libz-mingw-w64-dev).
if(TARGET sondrel_xlsxwriter)
    return()
endif()
add_library(sondrel_xlsxwriter INTERFACE)

if(NOT (WIN32 AND CMAKE_CROSSCOMPILING))
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(XLSXWRITER REQUIRED IMPORTED_TARGET xlsxwriter)
    find_package(ZLIB REQUIRED)
    target_link_libraries(sondrel_xlsxwriter INTERFACE PkgConfig::XLSXWRITER ZLIB::ZLIB)
    return()
endif()

if(DEFINED ENV{XDG_CACHE_HOME} AND NOT "$ENV{XDG_CACHE_HOME}" STREQUAL "")
    set(sondrel_cache_home "$ENV{XDG_CACHE_HOME}")
else()
    set(sondrel_cache_home "$ENV{HOME}/.cache")
endif()
set(SONDREL_XLSXWRITER_SOURCE "${sondrel_cache_home}/sondrel/libxlsxwriter" CACHE PATH
    "Debian's libxlsxwriter source tree, for the Windows cross build")
if(NOT EXISTS "${SONDREL_XLSXWRITER_SOURCE}/CMakeLists.txt")
    message(FATAL_ERROR
        "No libxlsxwriter source in ${SONDREL_XLSXWRITER_SOURCE}. scripts/setup fetches Debian's "
        "source package there; or point SONDREL_XLSXWRITER_SOURCE at an unpacked copy.")
endif()
enable_language(C)
set(BUILD_SHARED_LIBS OFF)
set(ZLIB_USE_STATIC_LIBS ON) # no zlib1.dll beside the programs
set(BUILD_TESTS OFF CACHE BOOL "" FORCE)
set(BUILD_EXAMPLES OFF CACHE BOOL "" FORCE)
set(USE_SYSTEM_MINIZIP OFF CACHE BOOL "" FORCE)
add_subdirectory("${SONDREL_XLSXWRITER_SOURCE}" "${CMAKE_BINARY_DIR}/libxlsxwriter" EXCLUDE_FROM_ALL)
target_link_libraries(sondrel_xlsxwriter INTERFACE xlsxwriter)
