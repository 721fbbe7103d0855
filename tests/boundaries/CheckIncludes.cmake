# Run with cmake -P and -DPLAN=<file>: the plan sets KORVEL_LIBRARIES (the
# project's libraries), and for each library L: L_SOURCES (its files, with
# full paths) and L_SEES (the libraries whose headers it may include, itself
# among them). A quoted include of a header of the project's libraries that
# L may not see fails the check, naming the file, the header and its
# library: a library can then depend on nothing above it, even where two
# libraries share a folder and so an include path.
cmake_minimum_required(VERSION 3.13)
include("${PLAN}")

foreach(library ${KORVEL_LIBRARIES})
    foreach(source ${${library}_SOURCES})
        if(source MATCHES "\\.h$")
            get_filename_component(name "${source}" NAME)
            set(owner_of_${name} ${library})
        endif()
    endforeach()
endforeach()

set(crossings "")
foreach(library ${KORVEL_LIBRARIES})
    foreach(source ${${library}_SOURCES})
        if(NOT source MATCHES "\\.(h|cpp)$")
            continue()
        endif()
        file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
        foreach(line ${includes})
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" header "${line}")
            get_filename_component(name "${header}" NAME)
            set(owner "${owner_of_${name}}")
            if(owner AND NOT owner IN_LIST ${library}_SEES)
                list(APPEND crossings "${source} (${library}) includes ${header} (${owner})")
            endif()
        endforeach()
    endforeach()
endforeach()

if(crossings)
    list(JOIN crossings "\n  " text)
    message(FATAL_ERROR "includes across a boundary:\n  ${text}")
endif()
list(LENGTH KORVEL_LIBRARIES count)
message(STATUS "no include crosses a boundary between the ${count} libraries")
