# `cpack -G DEB` in the build folder makes one Debian package of the program, the command line
# and the simulator, with stripped binaries, gzip'd man pages, the change log and the copyright
# file where Debian keeps them; it passes lintian.
set(CPACK_PACKAGE_NAME quillbox)
set(CPACK_PACKAGE_VENDOR "Tavrel Systems")
set(CPACK_PACKAGE_CONTACT "Quillbox maintainers <quillbox@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configuration tool for the VDM-R30 network device")
# Debian shows the lines as they are: each stays under 80 columns.
set(CPACK_PACKAGE_DESCRIPTION
"Quillbox views, writes and erases the stored script of a VDM-R30 network
device over an RS-232 port: the peer and second host addresses, the peer TCP
port, the check interval, the server-change timeout, the device ID and the
device's own serial settings. Every line sent and received is logged, and the
device's script is backed up before anything is erased.

The package holds the Qt window (quillbox), a command line for batches of
devices and scripts (quillbox-cli), and a simulated VDM-R30 on a
pseudo-terminal (vdm-r30-sim) for trying either without the hardware.")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# The platform plugin is loaded at run time, so dpkg-shlibdeps cannot see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)

# The version has no Debian revision, so the package is native: its change log is
# changelog.gz. Its newest entry must name the version being packaged.
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog _newest LIMIT_COUNT 1)
string(REGEX MATCH "^quillbox \\(([^)]*)\\)" _heading "${_newest}")
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "packaging/changelog: the newest entry is for version '${CMAKE_MATCH_1}', "
                        "not ${PROJECT_VERSION}; add an entry for ${PROJECT_VERSION}.")
endif()
set(_docdir ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_PACKAGE_NAME})
quillbox_install_gzipped(packaging/changelog ${_docdir})
install(FILES packaging/copyright DESTINATION ${_docdir})

include(CPack)
