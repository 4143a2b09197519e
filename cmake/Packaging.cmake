# The Debian package that `make package` builds (CPack's DEB generator): the programs with their
# manual pages, the desktop entry, its icon and AppStream data, and the documentation.

set(CONVERTER_PACKAGE_NAME converter-config)
set(CONVERTER_MAINTAINER "Converter configuration team <converter-config@example.org>")
# AppStream wants a reverse domain name for the application.
set(CONVERTER_APP_ID org.example.converter_config)
# The media type of .olc files, which the desktop entry opens.
set(CONVERTER_MEDIA_TYPE application/x-converter-config)
set(CONVERTER_DEB_RELEASE 1)
set(CONVERTER_DEB_VERSION ${PROJECT_VERSION}-${CONVERTER_DEB_RELEASE})
set(CONVERTER_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CONVERTER_PACKAGE_NAME})
# Not found by dpkg-shlibdeps: the window's fonts are drawn in this metric-compatible family.
set(CONVERTER_EXTRA_DEPENDS "fonts-liberation2")

include(ProgramInstall)

# Debian's documentation of a package: copyright, its changelog, and the example udev rule.
set(packaging_dir ${PROJECT_SOURCE_DIR}/packaging)
configure_file(${packaging_dir}/changelog.Debian.in ${CMAKE_BINARY_DIR}/packaging/changelog.Debian
               @ONLY)
execute_process(COMMAND ${GZIP_PROGRAM} -9nc ${CMAKE_BINARY_DIR}/packaging/changelog.Debian
                OUTPUT_FILE ${CMAKE_BINARY_DIR}/packaging/changelog.Debian.gz
                COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${packaging_dir}/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.Debian.gz
              ${packaging_dir}/99-converter-usb-serial.rules
        DESTINATION ${CONVERTER_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${CONVERTER_PACKAGE_NAME})
set(CPACK_PACKAGE_CONTACT ${CONVERTER_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration program for data converter modules")
set(CPACK_PACKAGE_DESCRIPTION
"Configures the data converter module of a switch panel. One window routes
the module's ten inputs to its ten outputs (module, channel, data loop and a
designation for each), checks every edit against the rules that keep the
module from feeding its own outputs back into its inputs, writes the
configuration into the module over a serial port and reads it back, and
saves and opens it as a one-line .olc file.

The package also holds converter-emulator, which plays a module on a
pseudo-terminal or a serial port, for trying the program without hardware.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${CONVERTER_DEB_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS ${CONVERTER_EXTRA_DEPENDS})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
