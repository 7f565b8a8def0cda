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
             "./usr/lib/systemd/user/vorl-archive-transfer.service" "./usr/lib/vorl-analyser/vorl-nightly-transfer")
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
