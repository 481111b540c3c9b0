# Runs as the last install step: compresses every manual page and the changelog that the
# install rules before it put in place, as Debian keeps them. gzip -n leaves out the name and
# time stamp, so that the package is the same from build to build.
#
# Set before it runs: MARVEK_MANDIR and MARVEK_DOCDIR, relative to the install prefix.
set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
file(GLOB_RECURSE pages LIST_DIRECTORIES false "${root}/${MARVEK_MANDIR}/*")
file(GLOB changelogs LIST_DIRECTORIES false "${root}/${MARVEK_DOCDIR}/changelog*")
foreach(file IN LISTS pages changelogs)
  if(file MATCHES "\\.gz$" OR IS_SYMLINK "${file}")
    continue()
  endif()
  message(STATUS "Compressing: ${file}")
  # -f replaces a .gz left from an earlier install of the same tree.
  execute_process(COMMAND gzip -9nf "${file}" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip could not compress ${file}")
  endif()
endforeach()
