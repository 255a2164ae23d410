# The Debian package: what the install rules (packaging/CMakeLists.txt) lay out, under /usr.
# Made from the release build once the package's contents are built:
#   cmake --build --preset release --target package_contents
#   cd build/release && cpack -G DEB        (writes sondrel_<version>_<arch>.deb)
# The package test (tests/package, label package) does both and checks the result.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sondrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Sondrel developers")
set(CPACK_PACKAGE_CONTACT "Sondrel developers <dev@sondrel.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Installed programs are stripped (Debian keeps debugging symbols out of the package itself).
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Sondrel developers <dev@sondrel.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends: worked out by dpkg-shlibdeps from the shared libraries the programs link.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The firmware update runs lpc21isp; everything else works without it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS lpc21isp)
# "Open Device Manager..." opens the device folder in the desktop's file manager.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS xdg-utils)
# Directories 0755 and files 0644 or 0755 whatever the build folder's umask was.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                                                GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The summary line, then the long description; CPack indents it as the control file wants
# (an empty line becomes " .").
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "console for a laser particle counter on a serial line")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Sondrel is the desktop console of a laser particle-counting instrument
reached over a serial line with Modbus RTU or ASCII. It downloads the
instrument's circular log into a sortable table, exports it to CSV, XLSX
or HTML files, offers manual Modbus requests and a local Modbus server,
and updates the instrument's firmware through lpc21isp.

The package holds the window (sondrel), a command-line tool for downloads
and requests without a window (sondrel-cli) and an instrument simulator
(sondrel-sim) that lets everything be tried without hardware.

Serial ports are opened through the dialout group; the package adds no
udev rules.")

include(CPack)
