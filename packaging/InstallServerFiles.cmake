# Run at install time, as InstallUserUnits.cmake: the server's system units, its user, its
# environment file and the nginx site, made for the prefix really installed to. For /usr (the
# package) the configuration goes to /etc; for any other prefix to PREFIX/etc, so that a test
# install never writes outside its prefix.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    set(etc_dir /etc)
else()
    set(etc_dir "${CMAKE_INSTALL_PREFIX}/etc")
endif()
set(VORL_SERVER_PROGRAM "${CMAKE_INSTALL_PREFIX}/bin/vorl-server")
set(VORL_SERVER_ENV "${etc_dir}/vorl-server/env")
file(READ ${VORL_PACKAGING_SOURCE_DIR}/systemd/vorl-server-common.in VORL_SERVER_SERVICE_COMMON)
foreach(unit vorl-server.service vorl-server@.service)
    configure_file(${VORL_PACKAGING_SOURCE_DIR}/systemd/${unit}.in ${VORL_UNIT_BINARY_DIR}/${unit} @ONLY)
endforeach()
file(INSTALL ${VORL_UNIT_BINARY_DIR}/vorl-server.service ${VORL_UNIT_BINARY_DIR}/vorl-server@.service
     DESTINATION "${CMAKE_INSTALL_PREFIX}/lib/systemd/system")
file(INSTALL ${VORL_PACKAGING_SOURCE_DIR}/vorl-server.sysusers DESTINATION "${CMAKE_INSTALL_PREFIX}/lib/sysusers.d"
     RENAME vorl-server.conf)
# Never readable by all, not even for the moment before the package's postinst gives it to the
# server's group.
file(INSTALL ${VORL_PACKAGING_SOURCE_DIR}/vorl-server.env DESTINATION "${etc_dir}/vorl-server" RENAME env
     FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ)
file(INSTALL ${VORL_PACKAGING_SOURCE_DIR}/nginx/vorl-server DESTINATION "${etc_dir}/nginx/sites-available")
