# Installs the built program into a scratch prefix and checks what lands where.
# cmake -DBUILD_DIR=... -DWORK_DIR=... -P CheckInstall.cmake
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${WORK_DIR}/usr
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${status}")
endif()

set(expected
    usr/bin/vorl-analyser
    usr/bin/vorl-cli
    usr/bin/vorl-server
    usr/lib/vorl-analyser/vorl-analyser
    "usr/lib/vorl-analyser/Images/Logo Vorl.bmp"
    "usr/lib/vorl-analyser/Images/QLV 30-2 Back.bmp"
    usr/lib/vorl-analyser/Images/Print.bmp
    usr/lib/vorl-analyser/Images/Exit.jpg
    usr/share/applications/vorl-analyser.desktop
    usr/share/icons/hicolor/128x128/apps/vorl-analyser.png
    usr/lib/vorl-analyser/vorl-nightly-transfer
    usr/share/systemd/user/vorl-archive-transfer.service
    usr/share/systemd/user/vorl-archive-transfer.timer
    usr/lib/systemd/system/vorl-server.service
    usr/lib/systemd/system/vorl-server@.service
    usr/lib/sysusers.d/vorl-server.conf
    usr/etc/vorl-server/env
    usr/etc/nginx/sites-available/vorl-server)
foreach(path IN LISTS expected)
    if(NOT EXISTS "${WORK_DIR}/${path}")
        message(FATAL_ERROR "missing after install: ${path}")
    endif()
endforeach()

# The nightly service starts the script of the prefix installed to (the package's units go to
# /usr/lib/systemd/user, see CheckDeb.cmake).
file(READ ${WORK_DIR}/usr/share/systemd/user/vorl-archive-transfer.service unit)
string(FIND "${unit}" "\nExecStart=${WORK_DIR}/usr/lib/vorl-analyser/vorl-nightly-transfer\n" at)
if(at LESS 0)
    message(FATAL_ERROR "the service does not start the installed nightly script:\n${unit}")
endif()

# The server's units start the installed server with the installed environment file, on the loopback
# address, and never change the archive's schema themselves.
foreach(name vorl-server.service vorl-server@.service)
    set(listen 127.0.0.1:8470)
    if(name MATCHES "@")
        set(listen 127.0.0.1:%i)
    endif()
    file(READ ${WORK_DIR}/usr/lib/systemd/system/${name} text)
    foreach(line "\nExecStart=${WORK_DIR}/usr/bin/vorl-server serve --listen ${listen} $VORL_SERVE_OPTIONS\n"
                 "\nEnvironmentFile=${WORK_DIR}/usr/etc/vorl-server/env\n" "\nUser=vorl-server\n"
                 "\nStateDirectory=vorl-server\n" "\nProtectSystem=strict\n" "\nNoNewPrivileges=yes\n")
        string(FIND "${text}" "${line}" at)
        if(at LESS 0)
            message(FATAL_ERROR "${name} lacks ${line}:\n${text}")
        endif()
    endforeach()
    if(text MATCHES "\nExec[A-Za-z]*=[^\n]*migrate" OR text MATCHES "@[A-Z_]+@")
        message(FATAL_ERROR "${name} runs a migration or has an unreplaced value:\n${text}")
    endif()
endforeach()
# systemd reads both units without a complaint (the template as one of its instances).
find_program(SYSTEMD_ANALYZE systemd-analyze)
if(SYSTEMD_ANALYZE)
    configure_file(${WORK_DIR}/usr/lib/systemd/system/vorl-server@.service ${WORK_DIR}/vorl-server@8471.service
                   COPYONLY)
    foreach(unit ${WORK_DIR}/usr/lib/systemd/system/vorl-server.service ${WORK_DIR}/vorl-server@8471.service)
        execute_process(COMMAND ${SYSTEMD_ANALYZE} verify --man=no ${unit}
                        RESULT_VARIABLE status OUTPUT_VARIABLE report ERROR_VARIABLE report)
        if(NOT status EQUAL 0 OR NOT report STREQUAL "")
            message(FATAL_ERROR "systemd-analyze verify ${unit}: ${status} ${report}")
        endif()
    endforeach()
endif()

# The environment file may hold a database password.
execute_process(COMMAND stat -c %a ${WORK_DIR}/usr/etc/vorl-server/env OUTPUT_VARIABLE mode
                OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT mode STREQUAL "640")
    message(FATAL_ERROR "the environment file's mode is ${mode}, not 640")
endif()

# The program finds its pictures beside the file the link points to.
if(NOT IS_SYMLINK ${WORK_DIR}/usr/bin/vorl-analyser)
    message(FATAL_ERROR "bin/vorl-analyser is not a link to the program's folder")
endif()
file(REAL_PATH ${WORK_DIR}/usr/bin/vorl-analyser target)
file(REAL_PATH ${WORK_DIR}/usr/lib/vorl-analyser/vorl-analyser program)
if(NOT target STREQUAL program)
    message(FATAL_ERROR "bin/vorl-analyser points to ${target}")
endif()

file(READ ${WORK_DIR}/usr/share/applications/vorl-analyser.desktop desktop)
foreach(key "Exec=vorl-analyser" "Icon=vorl-analyser" "Type=Application")
    string(FIND "${desktop}" "${key}" at)
    if(at LESS 0)
        message(FATAL_ERROR "the desktop file lacks ${key}")
    endif()
endforeach()

# Exactly one main category, and every key as the desktop-entry rules want it.
execute_process(COMMAND desktop-file-validate ${WORK_DIR}/usr/share/applications/vorl-analyser.desktop
                RESULT_VARIABLE status OUTPUT_VARIABLE report ERROR_VARIABLE report)
if(NOT status EQUAL 0 OR NOT report STREQUAL "")
    message(FATAL_ERROR "desktop-file-validate: ${status} ${report}")
endif()

# The manual pages read without a single warning of man's formatter at 80 columns.
foreach(page vorl-analyser vorl-cli vorl-server)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env MANWIDTH=80 LC_ALL=C.UTF-8
                            man --warnings -E UTF-8 -l ${WORK_DIR}/usr/share/man/man1/${page}.1.gz
                    RESULT_VARIABLE status OUTPUT_VARIABLE text ERROR_VARIABLE warnings)
    if(NOT status EQUAL 0 OR NOT warnings STREQUAL "")
        message(FATAL_ERROR "man ${page}: ${status} ${warnings}")
    endif()
    foreach(heading NAME SYNOPSIS DESCRIPTION ENVIRONMENT FILES "EXIT STATUS")
        string(FIND "${text}" "\n${heading}\n" at)
        if(at LESS 0)
            message(FATAL_ERROR "the manual page of ${page} has no ${heading} section")
        endif()
    endforeach()
endforeach()

# --help and --version answer without a display.
foreach(option --version --help)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM
                            ${WORK_DIR}/usr/bin/vorl-analyser ${option}
                    RESULT_VARIABLE status OUTPUT_VARIABLE answer ERROR_VARIABLE answer TIMEOUT 20)
    string(FIND "${answer}" "vorl-analyser" at)
    if(NOT status EQUAL 0 OR at LESS 0)
        message(FATAL_ERROR "vorl-analyser ${option} did not answer on the terminal: ${status} ${answer}")
    endif()
endforeach()

execute_process(COMMAND ${WORK_DIR}/usr/bin/vorl-cli --help RESULT_VARIABLE status OUTPUT_VARIABLE help
                ERROR_VARIABLE help)
string(FIND "${help}" "stats" at)
if(NOT status EQUAL 0 OR at LESS 0)
    message(FATAL_ERROR "the installed vorl-cli does not run: ${status} ${help}")
endif()
execute_process(COMMAND ${WORK_DIR}/usr/bin/vorl-server --version RESULT_VARIABLE status OUTPUT_VARIABLE version
                ERROR_VARIABLE version)
string(FIND "${version}" "vorl-server" at)
if(NOT status EQUAL 0 OR at LESS 0)
    message(FATAL_ERROR "the installed vorl-server does not run: ${status} ${version}")
endif()
file(REMOVE_RECURSE ${WORK_DIR})
message(STATUS "install layout ok")
