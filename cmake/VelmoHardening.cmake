# The hardening Debian builds its packages with, as dpkg-buildflags gives it on this machine:
# stack protector, checked libc calls, relocations read-only and bound before the program starts
# (the Debian package's test checks the result with hardening-check). Optimisation and debug
# information stay the build type's; the reproducible-build path maps are left out, since they
# name the source folder and would keep ccache from sharing objects between checkouts.
find_program(VELMO_DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT VELMO_DPKG_BUILDFLAGS)
  message(WARNING "dpkg-buildflags (dpkg-dev) is missing: velmo is built without Debian's hardening")
  return()
endif()

function(velmo_buildflags kind out)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env "DEB_BUILD_MAINT_OPTIONS=hardening=+all reproducible=-all"
            ${VELMO_DPKG_BUILDFLAGS} --get ${kind}
    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  list(FILTER flags EXCLUDE REGEX "^-(g|O)")
  set(${out} ${flags} PARENT_SCOPE)
endfunction()

velmo_buildflags(CPPFLAGS preprocessor_flags)
velmo_buildflags(CXXFLAGS compiler_flags)
velmo_buildflags(LDFLAGS linker_flags)
# _FORTIFY_SOURCE needs optimisation; a Debug build would warn about it in every file.
add_compile_options("$<$<NOT:$<CONFIG:Debug>>:${preprocessor_flags}>" ${compiler_flags})
add_link_options(${linker_flags})
set(shown "")
foreach(flag IN LISTS preprocessor_flags compiler_flags linker_flags)
  string(APPEND shown " ${flag}")
endforeach()
message(STATUS "Hardening from dpkg-buildflags:${shown}")
