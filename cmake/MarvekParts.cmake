# The house of the sources: src/ holds one folder per part, and a header is included by part and
# name ("convert/title_line.h"). The core (shared, convert, display, upload, command) must not
# include the faces (window, cli), and one face must not include the other. So no target gets
# src/ itself as include directory; each gets a folder of its own in the build tree holding a
# symbolic link for each part it may include, and nothing else.

# marvek_include_parts(<target> <PUBLIC|PRIVATE|INTERFACE> <part>...): makes
# <build>/include/<target>/ hold one link per <part>, to src/<part>, and gives it to <target> as
# include directory with the scope given. Run again, it drops the links of parts no longer named.
function(marvek_include_parts target scope)
  set(dir ${PROJECT_BINARY_DIR}/include/${target})
  # Removes the links, never what they point to.
  file(REMOVE_RECURSE ${dir})
  file(MAKE_DIRECTORY ${dir})
  foreach(part IN LISTS ARGN)
    if(NOT IS_DIRECTORY ${PROJECT_SOURCE_DIR}/src/${part})
      message(FATAL_ERROR "marvek_include_parts: there is no part src/${part}")
    endif()
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${part} ${dir}/${part} SYMBOLIC)
  endforeach()
  target_include_directories(${target} ${scope} ${dir})
endfunction()

# marvek_version_header(<target>): writes shared/version.h, which defines MARVEK_VERSION as the
# project's version in a string literal, into the build tree, and puts it on <target>'s public
# include path. The version is written once, in the top CMakeLists.txt's project().
function(marvek_version_header target)
  set(dir ${PROJECT_BINARY_DIR}/include/generated)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.h.in ${dir}/shared/version.h @ONLY)
  target_include_directories(${target} PUBLIC ${dir})
endfunction()
