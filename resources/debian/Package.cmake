# The Debian package, made from the install rules by CPack's DEB generator:
#
#   cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr
#   cmake --build build-deb --target package      # build-deb/resvman_<version>_<arch>.deb
#
# The program and the polkit action name the installed places of the schedule tool and its
# broker, fixed when the build is configured; the package installs under /usr, so only a
# build configured for /usr may be packaged (CheckPrefix.cmake stops any other).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME resvman)
set(CPACK_PACKAGE_VENDOR Velto)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Velto Timer Recorder maintainers <resvman@velto.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Staged through DESTDIR, so that a rule with an absolute destination (the polkit action,
# which polkitd reads from /usr/share only) lands in the package, not on this machine.
set(CPACK_SET_DESTDIR ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "timer recordings for the Velto AM/FM tuner")
set(CPACK_PACKAGE_DESCRIPTION
    "Keeps a list of timed radio recordings for the Velto tuner application: a
day, a start and an end time, an AM or FM station from the tuner's presets, a
title and optional weekly repeat days. A minute before each recording it starts
Velto and hands the recording over to it.

It can wake the computer before a recording and shut it down after the last
one (through a small root helper allowed by polkit), and keeps the computer
from falling asleep while a recording is near. The resvman command and a D-Bus
interface list, add, remove and switch reservations from scripts, and export
them as an iCalendar file.

The package also holds velto, the recorder Velto for Linux: it receives the
recordings, records FM and AM from an RTL-SDR (or another SoapySDR) receiver,
a USB radio tuner or a station's internet stream into Ogg Opus files, and
reports each result back to the timer's history.")

# Libraries from the binaries (dpkg-shlibdeps); the toolkit's plugins, which the program
# loads at run time, cannot be seen there: the platform plugins show the window, the image
# formats plugin reads the status icons.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-image-formats-plugins, libqt6svg6")
# Wake-ups and shutdowns need these; the window and the commands do not.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pkexec, polkitd, systemd, soapysdr0.8-module-rtlsdr")

set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_RESVMAN_CONFIGURED_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/CheckPrefix.cmake)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR})
include(CPack)
