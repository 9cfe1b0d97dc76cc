# Packages (make package): a .tar.gz and a .deb on Linux, TransSelvarEDUCA-<version>-win32.zip for
# Windows, with the programs and the help file side by side.
set(CPACK_PACKAGE_NAME TransSelvarEDUCA)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR TransSelvarEDUCA)
set(CPACK_PACKAGE_CONTACT "Equipo de TransSelvarEDUCA")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Exporta el horario de Morvanta al documento de intercambio de EDUCA")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)

if(WIN32)
    # A short text in Spanish for the school, with Windows line ends.
    configure_file(${PROJECT_SOURCE_DIR}/packaging/LEEME.txt ${CMAKE_BINARY_DIR}/LEEME.txt @ONLY NEWLINE_STYLE WIN32)
    install(FILES ${CMAKE_BINARY_DIR}/LEEME.txt DESTINATION ${EDUCA_INSTALL_BINDIR})
    set(CPACK_GENERATOR ZIP)
    set(CPACK_SYSTEM_NAME win32)
    # The files at the top of the zip, so that it unpacks into the host program's folder as it is.
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
    set(CPACK_GENERATOR "TGZ;DEB")
    set(CPACK_PACKAGING_INSTALL_PREFIX /opt/transselvareduca)
    set(CPACK_DEBIAN_PACKAGE_NAME transselvareduca)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION misc)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

include(CPack)
