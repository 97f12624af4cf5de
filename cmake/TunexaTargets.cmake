# Shared target settings: warnings, sanitizers and the Qt-free rule of the lower layers.

function(tunexa_set_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
        -Wno-sign-conversion)
    if(TUNEXA_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

if(TUNEXA_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

# A Qt-free library: standard library and SQLite only. Qt's include folders are never on its
# path, and a configure-time scan refuses any Qt include, so the layer builds for MinGW too.
function(tunexa_qt_free_library target)
    cmake_parse_arguments(ARG "" "" "SOURCES;LINK" ${ARGN})
    add_library(${target} STATIC ${ARG_SOURCES})
    target_link_libraries(${target} PUBLIC ${ARG_LINK})
    tunexa_set_warnings(${target})
    set_target_properties(${target} PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
    foreach(source IN LISTS ARG_SOURCES)
        file(STRINGS ${CMAKE_CURRENT_SOURCE_DIR}/${source} qt_includes REGEX "#[ \t]*include[ \t]*[<\"]Q")
        if(qt_includes)
            message(FATAL_ERROR "${target} must not include Qt headers: ${source}: ${qt_includes}")
        endif()
    endforeach()
    get_target_property(linked ${target} LINK_LIBRARIES)
    foreach(lib IN LISTS linked)
        if(lib MATCHES "^Qt")
            message(FATAL_ERROR "${target} must not link Qt (${lib})")
        endif()
    endforeach()
endfunction()

macro(tunexa_add_subdirectory_if_present dir)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
        add_subdirectory(${dir})
    endif()
endmacro()
