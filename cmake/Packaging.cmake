# Installing Brindle: `cmake --install BUILD [--prefix DIR]`.
#
#   lib/libbradm.so.1, libBRCUtil.so.1, libbrui.so.1   the libraries, versioned
#   lib/libbradmtoolMsg.so ...                         the libraries they load at run time by
#                                                      plain name (message, security, portal)
#   bin/bradmtool, brpublish, brindle-server           the tools and the stand-in server
#   include/brindle1/...                               the public headers, by folder as in
#                                                      the source ("brindle/bradm.h")
#   lib/pkgconfig/{bradm,brui,brcutil}.pc              for pkg-config
#   lib/cmake/Brindle/                                 for find_package(Brindle): the targets
#                                                      Brindle::bradm, Brindle::brui and
#                                                      Brindle::BRCUtil
#   share/man/man1/{bradmtool,brpublish,brindle-server}.1
#                                                      man pages from the programs' own help
#                                                      (made when help2man is installed)
#   share/bash-completion/completions/bradmtool        bash completion
#   share/doc/brindle/README.md, LICENSE
#
# Installed libraries find what they load at run time beside themselves ($ORIGIN), and the
# installed tools find the libraries in ../lib, so nothing needs LD_LIBRARY_PATH.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(BRINDLE_INCLUDE_SUBDIR brindle${PROJECT_VERSION_MAJOR})
set(BRINDLE_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/${BRINDLE_INCLUDE_SUBDIR})
set(BRINDLE_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Brindle)
file(RELATIVE_PATH brindle_bin_to_lib
     ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR})

# --- Libraries ------------------------------------------------------------------------------
set(brindle_host_libraries bradm brui BRCUtil)
set(brindle_runtime_modules bradmtoolMsg SentrelAPI Tessaron LUMORACONNECT brui-qt)
set(brindle_programs bradmtool brpublish brindle-server)

foreach(library IN LISTS brindle_host_libraries)
  if(TARGET ${library})
    set_target_properties(${library} PROPERTIES
      VERSION ${PROJECT_VERSION}
      SOVERSION ${PROJECT_VERSION_MAJOR}
      # The message, security and portal libraries are loaded by plain name from beside the
      # library, in the build tree as after installing.
      BUILD_RPATH "$ORIGIN"
      INSTALL_RPATH "$ORIGIN")
    install(TARGETS ${library}
      LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development)
  endif()
endforeach()

# Loaded with dlopen by their plain file name, so they keep it: no version, no namelink.
foreach(module IN LISTS brindle_runtime_modules)
  if(TARGET ${module})
    set_target_properties(${module} PROPERTIES INSTALL_RPATH "$ORIGIN")
    install(TARGETS ${module} LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime)
  endif()
endforeach()

foreach(program IN LISTS brindle_programs)
  if(TARGET ${program})
    set_target_properties(${program} PROPERTIES INSTALL_RPATH "$ORIGIN/${brindle_bin_to_lib}")
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
  endif()
endforeach()

# --- Headers --------------------------------------------------------------------------------
# The public headers and every header of ours they include, found by following the
# `#include "..."` lines, so the installed tree is complete whatever the headers include.
function(brindle_header_closure out_var)
  set(pending ${ARGN})
  set(found "")
  while(pending)
    list(POP_FRONT pending header)
    if(header IN_LIST found)
      continue()
    endif()
    list(APPEND found ${header})
    file(STRINGS ${header} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]+\"")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" included "${line}")
      foreach(root ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR})
        if(EXISTS ${root}/${included})
          list(APPEND pending ${root}/${included})
          break()
        endif()
      endforeach()
    endforeach()
  endwhile()
  set(${out_var} ${found} PARENT_SCOPE)
endfunction()

file(GLOB brindle_public_headers ${PROJECT_SOURCE_DIR}/include/brindle/*.h)
file(GLOB brindle_ui_headers ${PROJECT_SOURCE_DIR}/platform/ui/*.h)
set(brindle_seed_headers ${brindle_public_headers} ${brindle_ui_headers})
# The exceptions a host catches, the message library's entry, the wizard entry points.
foreach(header
    common/AttributeTree.h common/AttributeTreeException.h common/CBRWebException.h
    common/CBRWebIOStreamException.h common/CEndofStreamException.h common/CatalogueEntry.h
    platform/external/bradmtoolMsg.h portal/wizard/WizardEntryPoints.h)
  if(EXISTS ${PROJECT_SOURCE_DIR}/${header})
    list(APPEND brindle_seed_headers ${PROJECT_SOURCE_DIR}/${header})
  endif()
endforeach()
brindle_header_closure(brindle_installed_headers ${brindle_seed_headers})
list(SORT brindle_installed_headers)
# The list, one path a line relative to the source, for the test that compiles each alone.
set(brindle_header_list "")
foreach(header IN LISTS brindle_installed_headers)
  file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR} ${header})
  string(APPEND brindle_header_list "${relative}\n")
endforeach()
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/packaging/installed-headers.txt
     CONTENT "${brindle_header_list}")
foreach(header IN LISTS brindle_installed_headers)
  file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR} ${header})
  string(REGEX REPLACE "^include/" "" relative "${relative}")
  get_filename_component(folder ${relative} DIRECTORY)
  install(FILES ${header} DESTINATION ${BRINDLE_INSTALL_INCLUDEDIR}/${folder} COMPONENT development)
endforeach()

# --- pkg-config and the CMake package -------------------------------------------------------
# Both are relocatable: the .pc files name the prefix relative to their own folder, the CMake
# package relative to its file, so `cmake --install --prefix` anywhere gives working files.
file(RELATIVE_PATH BRINDLE_PC_TO_PREFIX
     ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" BRINDLE_PC_TO_PREFIX "${BRINDLE_PC_TO_PREFIX}")
foreach(pc bradm brui brcutil)
  configure_file(${PROJECT_SOURCE_DIR}/tools/packaging/${pc}.pc.in
                 ${CMAKE_BINARY_DIR}/packaging/${pc}.pc @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/${pc}.pc
          DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)
endforeach()

configure_package_config_file(${PROJECT_SOURCE_DIR}/tools/packaging/BrindleConfig.cmake.in
  ${CMAKE_BINARY_DIR}/packaging/BrindleConfig.cmake
  INSTALL_DESTINATION ${BRINDLE_INSTALL_CMAKEDIR}
  PATH_VARS CMAKE_INSTALL_LIBDIR BRINDLE_INSTALL_INCLUDEDIR)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/packaging/BrindleConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/packaging/BrindleConfig.cmake
              ${CMAKE_BINARY_DIR}/packaging/BrindleConfigVersion.cmake
        DESTINATION ${BRINDLE_INSTALL_CMAKEDIR} COMPONENT development)

# --- Man pages, shell completion, documents -------------------------------------------------
# The man pages are made at build time from each program's --help and --version by help2man,
# when it is installed; without it the build makes and installs none.
find_program(BRINDLE_HELP2MAN help2man)
set(brindle_description_bradmtool "administer the Brindle report server from the shell")
set(brindle_description_brpublish "publish a report to the portal as a NewsItem")
set(brindle_description_brindle-server "stand-in report server and portal for tests and demos")
set(brindle_man_pages "")
if(BRINDLE_HELP2MAN)
  foreach(program IN LISTS brindle_programs)
    if(NOT TARGET ${program})
      continue()
    endif()
    set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
    add_custom_command(OUTPUT ${page}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${program}> -DNAME=${program}
              "-DDESCRIPTION=${brindle_description_${program}}" -DVERSION=${PROJECT_VERSION}
              -DHELP2MAN=${BRINDLE_HELP2MAN} -DOUTPUT=${page}
              -DLIBRARY_PATH=${CMAKE_LIBRARY_OUTPUT_DIRECTORY}
              -P ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
      DEPENDS ${program} ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
      COMMENT "Man page of ${program}"
      VERBATIM)
    list(APPEND brindle_man_pages ${page})
  endforeach()
  add_custom_target(man_pages ALL DEPENDS ${brindle_man_pages})
  install(FILES ${brindle_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT documentation)
endif()

if(TARGET bradmtool)
  install(FILES ${PROJECT_SOURCE_DIR}/tools/packaging/bradmtool.bash-completion
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME bradmtool
          COMPONENT runtime)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/brindle COMPONENT documentation)
