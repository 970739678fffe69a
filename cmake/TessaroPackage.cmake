# The Debian package, made by `cpack --config <build>/CPackConfig.cmake`
# (scripts/package). Its dependencies come from the binaries through
# dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessaro)
set(CPACK_PACKAGE_VENDOR "The Tessaro developers")
set(TESSARO_MAINTAINER "Tessaro developers <tessaro@tessaro.ru>" CACHE STRING "The Debian package's maintainer")
set(CPACK_PACKAGE_CONTACT "${TESSARO_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "POP3 mail monitor for the notification area")
set(CPACK_PACKAGE_DESCRIPTION
    "Tessaro lives in the notification area of the desktop and checks every\n\
enabled POP3 mailbox on a timer. It shows the new messages, saves their\n\
attachments and deletes messages on the server. The tessaro-check command\n\
makes one check pass over a mailbox and prints the messages as JSON Lines.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION mail)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The X11 platform plugin is loaded at run time, so no binary names it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
