# Build-time helpers: precompiled headers per target, test files compiled in batches, ccache on request.
# A fresh build spends most of its time parsing the same Qt headers in every file.

# ccache on request (-DVORL_CCACHE=ON, when the machine has it): it serves a build folder that is rebuilt
# from scratch. It is off by default: each build folder makes its own precompiled headers, so a fresh
# clone found 1 % of its objects in the cache and storing the others only added work.
option(VORL_CCACHE "Compile through ccache" OFF)
if(VORL_CCACHE AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
    find_program(VORL_CCACHE_PROGRAM ccache REQUIRED)
    # Paths relative to the source tree; the sloppiness lets ccache reuse results of files compiled with a
    # precompiled header.
    set(CMAKE_CXX_COMPILER_LAUNCHER
        ${CMAKE_COMMAND} -E env CCACHE_BASEDIR=${CMAKE_SOURCE_DIR}
        "CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime"
        ${VORL_CCACHE_PROGRAM})
endif()

option(VORL_PCH "Precompile the Qt and standard headers of each target" ON)

# vorl_precompile(target core|gui|widgets|test): the headers almost every file of that target includes.
function(vorl_precompile target kind)
    if(NOT VORL_PCH)
        return()
    endif()
    set(headers <vector> <string> <memory> <optional> <functional> <algorithm>
                <QtCore/QString> <QtCore/QStringList> <QtCore/QList> <QtCore/QByteArray> <QtCore/QDateTime>
                <QtCore/QObject> <QtCore/QFile>)
    if(kind STREQUAL "gui" OR kind STREQUAL "widgets")
        list(APPEND headers <QtGui/QPainter> <QtGui/QImage> <QtGui/QFont> <QtGui/QColor>)
    endif()
    if(kind STREQUAL "widgets")
        list(APPEND headers <QtWidgets/QWidget> <QtWidgets/QLabel> <QtWidgets/QPushButton>
                            <QtWidgets/QDialog> <QtWidgets/QMainWindow>)
    endif()
    if(kind STREQUAL "test")
        list(APPEND headers <gtest/gtest.h>)
    endif()
    target_precompile_headers(${target} PRIVATE ${headers})
endfunction()

# A unity build compiles several test files as one, so gtest's and Qt's headers are parsed once per
# batch; the test files are most of the code and most of the build time.
option(VORL_UNITY "Compile the test files in batches (unity build)" ON)
function(vorl_unity target)
    if(VORL_UNITY)
        set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 6)
        # Each test file keeps its helpers in an anonymous namespace, which gcc reports once the file is
        # included into a batch; the names stay apart all the same.
        target_compile_options(${target} PRIVATE -Wno-subobject-linkage)
    endif()
endfunction()
