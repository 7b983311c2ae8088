# Installation and the Debian packages (cpack in the build folder):
#   ped00100-common   the shared engine library both programs link
#   ped00100-server   pedserver, its systemd unit and configuration file
#   ped00100-desktop  erpshell, the host libraries and the PED00100 module
# Programs go to bin/, our libraries to lib/ped00100/ (private: no other
# program links them) and the module to lib/ped00100/modules/, where the
# shell looks for it. Run paths are relative ($ORIGIN), so an installed tree
# works from wherever it is unpacked. Message catalogs and migrations are
# built into the libraries as resources.
include(GNUInstallDirs)
set(PED_INSTALL_LIBDIR lib/ped00100)

function(ped_install_rpath target rpath)
    set_target_properties(${target} PROPERTIES INSTALL_RPATH "${rpath}")
endfunction()

ped_install_rpath(pedserver "$ORIGIN/../${PED_INSTALL_LIBDIR}")
ped_install_rpath(erpshell "$ORIGIN/../${PED_INSTALL_LIBDIR}")
foreach(library pedcore pedclient pedhost pedorderselection pedorderdialogs pedorderentry)
    if(TARGET ${library})
        ped_install_rpath(${library} "$ORIGIN")
    endif()
endforeach()
ped_install_rpath(PED00100 "$ORIGIN/..")

install(TARGETS pedcore LIBRARY DESTINATION ${PED_INSTALL_LIBDIR} COMPONENT common)
install(TARGETS pedserver RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT server)
install(TARGETS erpshell RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT desktop)
foreach(library pedclient pedhost pedorderselection pedorderdialogs pedorderentry)
    if(TARGET ${library})
        install(TARGETS ${library} LIBRARY DESTINATION ${PED_INSTALL_LIBDIR} COMPONENT desktop)
    endif()
endforeach()
install(TARGETS PED00100 LIBRARY DESTINATION ${PED_INSTALL_LIBDIR}/modules COMPONENT desktop)

install(FILES packaging/pedserver.service DESTINATION lib/systemd/system COMPONENT server)
install(FILES packaging/pedserver.ini DESTINATION /etc/pedserver COMPONENT server)
file(GLOB PED_DOCS ${CMAKE_SOURCE_DIR}/docs/*.md)
foreach(component server desktop)
    install(FILES README.md ${PED_DOCS} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/ped00100-${component} COMPONENT ${component})
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ped00100)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "ERP administrators <erp@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL common server desktop)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_COMPONENT_COMMON_DESCRIPTION "Sales-order module: engine library shared by the server and the desktop")
set(CPACK_COMPONENT_SERVER_DESCRIPTION "Sales-order module: application server pedserver (JSON-RPC over HTTP/HTTPS)")
set(CPACK_COMPONENT_DESKTOP_DESCRIPTION "Sales-order module: desktop shell erpshell with the order entry screen PED00100")
set(PED_DEB_VERSION "${PROJECT_VERSION}")
set(CPACK_DEBIAN_COMMON_PACKAGE_DEPENDS "libqt6core6 (>= 6.4), libqt6sql6 (>= 6.4)")
set(CPACK_DEBIAN_SERVER_PACKAGE_DEPENDS
    "ped00100-common (= ${PED_DEB_VERSION}), libqt6core6 (>= 6.4), libqt6network6 (>= 6.4), libqt6sql6 (>= 6.4), libqt6sql6-sqlite, libqt6sql6-psql, adduser")
set(CPACK_DEBIAN_DESKTOP_PACKAGE_DEPENDS
    "ped00100-common (= ${PED_DEB_VERSION}), libqt6widgets6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6network6 (>= 6.4), libqt6printsupport6 (>= 6.4), libqt6sql6 (>= 6.4), libqt6sql6-sqlite, libqt6sql6-psql, qt6-translations-l10n, fonts-dejavu-core")
set(CPACK_DEBIAN_SERVER_PACKAGE_CONTROL_EXTRA
    ${CMAKE_SOURCE_DIR}/packaging/server/conffiles
    ${CMAKE_SOURCE_DIR}/packaging/server/postinst
    ${CMAKE_SOURCE_DIR}/packaging/server/prerm
    ${CMAKE_SOURCE_DIR}/packaging/server/postrm)
set(CPACK_DEBIAN_SERVER_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
