# Run with cmake -P, -DCATALOGUE=<a copy of a .ts just updated by lupdate>
# and -DSOURCE=<the catalogue it was copied from>. Fails, naming each text,
# where a message is unfinished (new or changed in the code), vanished or
# obsolete (no longer in the code) or has an empty translation.
cmake_minimum_required(VERSION 3.13)
file(STRINGS "${CATALOGUE}" lines ENCODING UTF-8)
set(source "")
set(faults "")
foreach(line IN LISTS lines)
    if(line MATCHES "<source>")
        string(REGEX REPLACE ".*<source>" "" source "${line}")
        string(REGEX REPLACE "</source>.*" "" source "${source}")
        string(REPLACE ";" "," source "${source}")
    elseif(line MATCHES "<translation[^>]*type=\"(unfinished|vanished|obsolete)\"")
        list(APPEND faults "${CMAKE_MATCH_1}: ${source}")
    elseif(line MATCHES "<translation></translation>|<translation/>|<numerusform></numerusform>")
        list(APPEND faults "empty: ${source}")
    endif()
endforeach()
if(faults)
    list(LENGTH faults count)
    string(REPLACE ";" "\n  " text "${faults}")
    message(FATAL_ERROR "${SOURCE}: ${count} message(s) not in step with the code:\n  ${text}\n"
                        "Update it (cmake --build <build> --target update_catalogues), translate the new texts and "
                        "remove their type=\"unfinished\".")
endif()
