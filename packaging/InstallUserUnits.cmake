# Run at install time, when CMAKE_INSTALL_PREFIX is the prefix really installed to (cmake --install
# --prefix, or /usr for the package): the service starts the nightly script of that prefix, and the
# units go where systemd looks for user units of that prefix (/usr/lib/systemd/user for /usr,
# share/systemd/user elsewhere: ~/.local/share/systemd/user, /usr/local/share/systemd/user).
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    set(unit_dir lib/systemd/user)
else()
    set(unit_dir share/systemd/user)
endif()
set(VORL_NIGHTLY_SCRIPT "${CMAKE_INSTALL_PREFIX}/lib/vorl-analyser/vorl-nightly-transfer")
configure_file(${VORL_UNIT_SOURCE_DIR}/vorl-archive-transfer.service.in
               ${VORL_UNIT_BINARY_DIR}/vorl-archive-transfer.service @ONLY)
file(INSTALL ${VORL_UNIT_BINARY_DIR}/vorl-archive-transfer.service
             ${VORL_UNIT_SOURCE_DIR}/vorl-archive-transfer.timer
     DESTINATION "${CMAKE_INSTALL_PREFIX}/${unit_dir}")
