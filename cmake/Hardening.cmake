# The hardening that Debian's own packages are built with, for the optimised builds that the
# package is made from: checked buffer functions (they need optimisation, so never in the
# debug builds), stack protection, and a relocation table that is made read-only once bound
# at start. The sanitizer and fuzz builds keep their own instrumentation only, and Windows
# builds their compiler's defaults (these are GCC's flags and ELF's relocation options).
if(CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$" AND NOT SONDREL_SANITIZE
   AND NOT SONDREL_BUILD_FUZZERS AND NOT WIN32)
    add_compile_options(-U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=2 -fstack-protector-strong
                        -fstack-clash-protection)
    add_link_options(LINKER:-z,relro LINKER:-z,now)
endif()
