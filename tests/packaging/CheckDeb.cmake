# Builds the Debian package and checks its contents and dependencies.
# cmake -DBUILD_DIR=... -DWORK_DIR=... -P CheckDeb.cmake
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
execute_process(COMMAND cpack -G DEB -B ${WORK_DIR} --config ${BUILD_DIR}/CPackConfig.cmake
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cpack failed: ${out}")
endif()
file(GLOB debs ${WORK_DIR}/*.deb)
list(LENGTH debs count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one .deb, found: ${debs}")
endif()

execute_process(COMMAND dpkg-deb -c ${debs} OUTPUT_VARIABLE listing RESULT_VARIABLE status)
foreach(path "./usr/bin/vorl-analyser -> ../lib/vorl-analyser/vorl-analyser" "./usr/bin/vorl-cli" "./usr/bin/vorl-server"
             "./usr/lib/vorl-analyser/vorl-analyser" "./usr/lib/vorl-analyser/Images/Logo Vorl.bmp"
             "./usr/share/applications/vorl-analyser.desktop"
             "./usr/share/icons/hicolor/128x128/apps/vorl-analyser.png"
             "./usr/share/doc/vorl-analyser/copyright" "./usr/share/doc/vorl-analyser/changelog.gz"
             "./usr/share/man/man1/vorl-analyser.1.gz" "./usr/share/man/man1/vorl-cli.1.gz"
             "./usr/share/man/man1/vorl-server.1.gz"
             "./usr/lib/systemd/user/vorl-archive-transfer.service" "./usr/lib/vorl-analyser/vorl-nightly-transfer"
             "./usr/lib/systemd/system/vorl-server.service" "./usr/lib/systemd/system/vorl-server@.service"
             "./usr/lib/sysusers.d/vorl-server.conf" "./etc/nginx/sites-available/vorl-server"
             "./etc/vorl-server/env")
    string(FIND "${listing}" "${path}" at)
    if(at LESS 0)
        message(FATAL_ERROR "the package lacks ${path}:\n${listing}")
    endif()
endforeach()

execute_process(COMMAND dpkg-deb -x ${debs} ${WORK_DIR}/unpacked)
file(READ ${WORK_DIR}/unpacked/usr/lib/systemd/user/vorl-archive-transfer.service unit)
string(FIND "${unit}" "\nExecStart=/usr/lib/vorl-analyser/vorl-nightly-transfer\n" at)
if(at LESS 0)
    message(FATAL_ERROR "the package's service does not start /usr/lib/vorl-analyser/vorl-nightly-transfer")
endif()

string(REGEX MATCH "[^\n]* ./etc/vorl-server/env\n" line "${listing}")
if(NOT line MATCHES "^-rw-r----- root/root")
    message(FATAL_ERROR "the environment file is not 0640 root in the package: ${line}")
endif()

# The server's unit, its user and the administrator's files.
file(READ ${WORK_DIR}/unpacked/usr/lib/systemd/system/vorl-server.service unit)
foreach(line "\nExecStart=/usr/bin/vorl-server serve --listen 127.0.0.1:8470 $VORL_SERVE_OPTIONS\n"
             "\nEnvironmentFile=/etc/vorl-server/env\n" "\nUser=vorl-server\n")
    string(FIND "${unit}" "${line}" at)
    if(at LESS 0)
        message(FATAL_ERROR "the package's vorl-server.service lacks ${line}")
    endif()
endforeach()
file(READ ${WORK_DIR}/unpacked/usr/lib/sysusers.d/vorl-server.conf sysusers)
if(NOT sysusers MATCHES "\nu vorl-server - \"[^\"]+\" /var/lib/vorl-server ")
    message(FATAL_ERROR "the package does not declare the vorl-server user: ${sysusers}")
endif()
execute_process(COMMAND dpkg-deb -e ${debs} ${WORK_DIR}/control)
file(READ ${WORK_DIR}/control/conffiles conffiles)
if(NOT conffiles STREQUAL "/etc/nginx/sites-available/vorl-server\n/etc/vorl-server/env\n")
    message(FATAL_ERROR "the package's conffiles: ${conffiles}")
endif()
file(READ ${WORK_DIR}/control/postinst postinst)
foreach(step "systemd-sysusers vorl-server.conf" "chown root:vorl-server /etc/vorl-server/env")
    string(FIND "${postinst}" "${step}" at)
    if(at LESS 0)
        message(FATAL_ERROR "the package's postinst does not run ${step}")
    endif()
endforeach()

# The nginx site as packaged passes nginx -t, with a certificate of the test's own in place of the
# ssl-cert package's (which needs root to read) and a scratch prefix.
find_program(NGINX nginx PATHS /usr/sbin)
find_program(OPENSSL openssl)
if(NGINX AND OPENSSL)
    set(prefix ${WORK_DIR}/nginx)
    file(MAKE_DIRECTORY ${prefix})
    execute_process(COMMAND ${OPENSSL} req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=localhost
                            -keyout ${prefix}/test.key -out ${prefix}/test.pem
                    RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
    file(READ ${WORK_DIR}/unpacked/etc/nginx/sites-available/vorl-server site)
    string(REPLACE /etc/ssl/certs/ssl-cert-snakeoil.pem ${prefix}/test.pem site "${site}")
    string(REPLACE /etc/ssl/private/ssl-cert-snakeoil.key ${prefix}/test.key site "${site}")
    file(WRITE ${prefix}/vorl-server "${site}")
    file(WRITE ${prefix}/nginx.conf "pid ${prefix}/nginx.pid;\nevents {}\nhttp {\n"
               "    client_body_temp_path ${prefix}/body;\n    proxy_temp_path ${prefix}/proxy;\n"
               "    fastcgi_temp_path ${prefix}/fastcgi;\n    uwsgi_temp_path ${prefix}/uwsgi;\n"
               "    scgi_temp_path ${prefix}/scgi;\n"
               "    include ${prefix}/vorl-server;\n}\n")
    execute_process(COMMAND ${NGINX} -t -q -p ${prefix} -c ${prefix}/nginx.conf -e ${prefix}/error.log
                    RESULT_VARIABLE status OUTPUT_VARIABLE report ERROR_VARIABLE report)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "nginx -t refuses the package's site: ${report}")
    endif()
else()
    message(STATUS "nginx or openssl is not installed: the nginx site was not tested")
endif()

execute_process(COMMAND dpkg-deb -f ${debs} Depends OUTPUT_VARIABLE depends)
foreach(dependency libqt6widgets6 libqt6httpserver6 libqt6serialport6 libqt6printsupport6 qt6-qpa-plugins libc6
                   qt6-translations-l10n libqt6sql6-sqlite libqt6sql6-psql)
    string(FIND "${depends}" "${dependency}" at)
    if(at LESS 0)
        message(FATAL_ERROR "the package does not depend on ${dependency}: ${depends}")
    endif()
endforeach()

# Debian's own package checker, where the machine has it: any error fails the check.
find_program(LINTIAN lintian)
if(LINTIAN)
    execute_process(COMMAND ${LINTIAN} --fail-on error --tag-display-limit 0 ${debs}
                    RESULT_VARIABLE status OUTPUT_VARIABLE report ERROR_VARIABLE report)
    message(STATUS "lintian:\n${report}")
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "lintian reports errors")
    endif()
else()
    message(STATUS "lintian is not installed: the package's Debian checks were skipped")
endif()
file(REMOVE_RECURSE ${WORK_DIR})
message(STATUS "package ok")
