# Every header of the project must compile on its own, and must not clash
# with the macros of the common C and POSIX headers (<sys/resource.h> defines
# PRIO_MAX, <termios.h> defines ECHO, and so on). One translation unit per
# header includes those system headers first, then the header alone; the
# units are compiled into an object library that nothing links.
set(MORVANEL_CHECK_PRELUDE_HEADERS
    sys/resource.h sys/types.h sys/stat.h sys/time.h sys/mman.h sys/wait.h
    sys/socket.h sys/ioctl.h netinet/in.h
    unistd.h fcntl.h signal.h pthread.h dirent.h sched.h syslog.h termios.h
    dlfcn.h poll.h
    assert.h ctype.h errno.h float.h limits.h locale.h math.h setjmp.h
    stdint.h stdio.h stdlib.h string.h time.h wchar.h)

# name: the object library to create. HEADERS: absolute paths of the headers.
# LIBS: targets whose include folders and definitions the headers need.
function(morvanel_add_header_check name)
    cmake_parse_arguments(ARG "" "" "HEADERS;LIBS" ${ARGN})
    set(dir "${CMAKE_CURRENT_BINARY_DIR}/${name}")
    set(prelude "")
    foreach(header IN LISTS MORVANEL_CHECK_PRELUDE_HEADERS)
        string(APPEND prelude "#include <${header}>\n")
    endforeach()
    set(units)
    foreach(header IN LISTS ARG_HEADERS)
        file(RELATIVE_PATH relative "${CMAKE_SOURCE_DIR}" "${header}")
        string(REGEX REPLACE "[/.]" "_" unit_name "${relative}")
        set(unit "${dir}/${unit_name}.cpp")
        # Rewritten only when its text changes, so a new configure does not
        # rebuild every unit.
        file(CONFIGURE OUTPUT "${unit}"
            CONTENT "${prelude}\n#include \"${header}\"\n" @ONLY)
        list(APPEND units "${unit}")
    endforeach()
    add_library(${name} OBJECT ${units})
    target_include_directories(${name} PRIVATE "${CMAKE_SOURCE_DIR}/src"
        "${CMAKE_SOURCE_DIR}/tests")
    target_link_libraries(${name} PRIVATE morvanel_options ${ARG_LIBS})
endfunction()
