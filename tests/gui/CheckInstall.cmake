# Installs the build into a new folder under PREFIX_ROOT and checks that everything a desktop
# needs is there, with the AppStream metainfo and the man pages. The folder is this run's own, so
# two runs at once never install over each other; it is removed when every check passed.
execute_process(COMMAND mktemp -d ${PREFIX_ROOT}/install-test-XXXXXX
    OUTPUT_VARIABLE PREFIX OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE made)
if(NOT made EQUAL 0)
    message(FATAL_ERROR "cannot make a folder under ${PREFIX_ROOT}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
    RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(path bin/tomaro bin/tomaro-analyze share/applications/tomaro.desktop
        share/icons/hicolor/scalable/apps/tomaro.svg share/metainfo/org.tomaro.Tomaro.metainfo.xml
        share/man/man1/tomaro.1.gz share/man/man1/tomaro-analyze.1.gz)
    if(NOT EXISTS ${PREFIX}/${path})
        message(FATAL_ERROR "missing from the installed tree: ${path}")
    endif()
endforeach()
file(READ ${PREFIX}/share/applications/tomaro.desktop entry)
foreach(line "Exec=tomaro %f" "Icon=tomaro" "Categories=Audio;" "MimeType=audio/x-wav;audio/wav;")
    string(FIND "${entry}" "${line}" at)
    if(at LESS 0)
        message(FATAL_ERROR "the desktop entry lacks: ${line}")
    endif()
endforeach()
file(REMOVE_RECURSE ${PREFIX})
