# Release builds on Debian-like systems take the hardening flags Debian builds
# its packages with (stack protector, format checks, _FORTIFY_SOURCE, RELRO,
# BIND_NOW), as dpkg-buildflags gives them. Only those flags are taken: its
# optimisation, debug and path-mapping flags stay with the build type.
#
# Sanitizer and fuzzing builds are left alone (their instrumentation and
# _FORTIFY_SOURCE get in each other's way), and so is every other system.

option(KORVEL_HARDEN "Add dpkg-buildflags' hardening flags to release builds" ON)

if(KORVEL_HARDEN AND NOT KORVEL_SANITIZE AND NOT KORVEL_FUZZ AND CMAKE_SYSTEM_NAME STREQUAL "Linux"
   AND CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    find_program(KORVEL_DPKG_BUILDFLAGS dpkg-buildflags)
    if(KORVEL_DPKG_BUILDFLAGS)
        set(korvel_hardening_compile)
        set(korvel_hardening_link)
        foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
            execute_process(
                COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                        ${KORVEL_DPKG_BUILDFLAGS} --get ${kind}
                OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE
                RESULT_VARIABLE result ERROR_QUIET)
            if(NOT result EQUAL 0)
                continue()
            endif()
            separate_arguments(flags UNIX_COMMAND "${flags}")
            foreach(flag ${flags})
                if(flag MATCHES "^-Wl,-z,")
                    list(APPEND korvel_hardening_link ${flag})
                elseif(flag MATCHES "^(-fstack-protector|-fstack-clash-protection|-fcf-protection|-D_FORTIFY_SOURCE=|-Wformat|-Werror=format-security)")
                    list(APPEND korvel_hardening_compile ${flag})
                endif()
            endforeach()
        endforeach()
        list(REMOVE_DUPLICATES korvel_hardening_compile)
        set(korvel_release_config
            "$<OR:$<CONFIG:Release>,$<CONFIG:RelWithDebInfo>,$<CONFIG:MinSizeRel>>")
        foreach(flag ${korvel_hardening_compile})
            add_compile_options("$<${korvel_release_config}:${flag}>")
        endforeach()
        foreach(flag ${korvel_hardening_link})
            add_link_options("$<${korvel_release_config}:${flag}>")
        endforeach()
    endif()
endif()
