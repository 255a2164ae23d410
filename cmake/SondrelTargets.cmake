# Helpers shared by the folders' CMakeLists.txt files.

# sondrel_require_qt_free(<target> <folder> [EXCLUDE <subfolder>...])
# A unit test named <target>_has_no_qt that fails when a header or source file anywhere below
# <folder> includes a Qt header, and when the folder cannot be read (grep's status 2), so that a
# moved folder never passes unchecked. Subfolders named after EXCLUDE hold another target's files
# (a Qt dialog or model beside a Qt-free library) and are skipped.
function(sondrel_require_qt_free target folder)
    cmake_parse_arguments(Q "" "" "EXCLUDE" ${ARGN})
    set(excluded)
    foreach(dir ${Q_EXCLUDE})
        list(APPEND excluded --exclude-dir=${dir})
    endforeach()
    add_test(NAME ${target}_has_no_qt
             COMMAND sh -c "grep -rlE '#include *<Q[A-Za-z]' \"$@\"; test $? -eq 1" sh ${folder}
                     --include=*.h --include=*.cpp ${excluded})
    set_tests_properties(${target}_has_no_qt PROPERTIES LABELS unit)
endfunction()

# sondrel_header_dirs(<variable> <file>...)
# The folders that hold the given files' headers, each once: the include folders of a target
# whose files are spread over subfolders by job and included by their bare names.
function(sondrel_header_dirs variable)
    set(dirs)
    foreach(file ${ARGN})
        if(file MATCHES "\\.h$")
            get_filename_component(dir ${file} DIRECTORY)
            list(APPEND dirs ${dir})
        endif()
    endforeach()
    list(REMOVE_DUPLICATES dirs)
    set(${variable} ${dirs} PARENT_SCOPE)
endfunction()
