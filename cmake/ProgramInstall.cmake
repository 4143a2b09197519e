# converter_install_program(<target> SUMMARY "<what the program is, in a few words>"
#                           [INCLUDE <file with more sections for the manual page>])
#
# Installs a program on the PATH with a manual page made from its --help and --version
# (help2man runs the built program, so --help must work without a display), and the sections of
# the INCLUDE file in help2man's format (examples, exit status, ...). Adding a program to the
# package is this one call beside its add_executable().

find_program(HELP2MAN_PROGRAM help2man)
find_program(GZIP_PROGRAM gzip REQUIRED)
if(NOT HELP2MAN_PROGRAM)
  message(STATUS "help2man not found: the programs are built without manual pages")
endif()

# Files get 0644 and folders 0755 whatever the umask of the machine that builds the package.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The release date, in the forms the manual pages and the package's changelog need.
execute_process(COMMAND date -u -d "${CONVERTER_RELEASE_DATE} 12:00" +%s
                OUTPUT_VARIABLE CONVERTER_RELEASE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND date -u -R -d "${CONVERTER_RELEASE_DATE} 12:00"
                OUTPUT_VARIABLE CONVERTER_RELEASE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)

function(converter_install_program target)
  cmake_parse_arguments(P "" "SUMMARY;INCLUDE" "" ${ARGN})
  if(NOT P_SUMMARY)
    message(FATAL_ERROR "converter_install_program(${target}): SUMMARY is missing")
  endif()
  # Every symbol bound at start, so the relocation table can be made read-only.
  target_link_options(${target} PRIVATE LINKER:-z,now)
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  set_property(GLOBAL APPEND PROPERTY CONVERTER_PROGRAMS ${target})
  if(NOT HELP2MAN_PROGRAM)
    return()
  endif()

  set(include_args)
  if(P_INCLUDE)
    set(include_args --include=${P_INCLUDE})
  endif()
  set(man_dir ${CMAKE_BINARY_DIR}/man)
  set(page ${man_dir}/${target}.1)
  add_custom_command(
    OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${man_dir}
    # The release date in the page's footer, not the day of the build; no leak report from a
    # sanitizer build spoils the text.
    COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${CONVERTER_RELEASE_EPOCH}
            ASAN_OPTIONS=detect_leaks=0
            ${HELP2MAN_PROGRAM} --no-info --section=1 --name=${P_SUMMARY} --output=${page}
            ${include_args} $<TARGET_FILE:${target}>
    COMMAND ${GZIP_PROGRAM} -9nf ${page}
    DEPENDS ${target} ${P_INCLUDE}
    COMMENT "Manual page of ${target}"
    VERBATIM)
  add_custom_target(${target}_manual_page ALL DEPENDS ${page}.gz)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
