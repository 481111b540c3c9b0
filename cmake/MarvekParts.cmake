# The house of the sources: src/ holds one folder per part, and a header is included by part and
# name ("convert/title_line.h"). The core (shared, convert, display, upload, command) must not
# include the faces (window, cli), and one face must not include the other. So no target gets
# src/ itself as include directory; each gets a folder of its own in the build tree holding a
# symbolic link for each part it may include, and nothing else.

# marvek_include_parts(<target> <PUBLIC|PRIVATE|INTERFACE> <part>...): makes
# <build>/include/<target>/ hold one link per <part>, to src/<part>, and gives it to <target> as
# include directory with the scope given. Run again, it drops the links of parts no longer named.
# A part may be a folder of a part ("convert/layouts"): its parent is then a folder of the
# include directory holding only the links named.
function(marvek_include_parts target scope)
  set(dir ${PROJECT_BINARY_DIR}/include/${target})
  # Removes the links, never what they point to.
  file(REMOVE_RECURSE ${dir})
  file(MAKE_DIRECTORY ${dir})
  foreach(part IN LISTS ARGN)
    if(NOT IS_DIRECTORY ${PROJECT_SOURCE_DIR}/src/${part})
      message(FATAL_ERROR "marvek_include_parts: there is no part src/${part}")
    endif()
    get_filename_component(parent ${dir}/${part} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
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

# marvek_convert_stages(<core> <stage> <sources>... [<stage> <sources>...]...): the conversion's
# stages, bottom first, each named by its folder under src/convert/ and followed by its sources
# (in that folder). Each stage is built as an object library, marvek_convert_<stage>, whose
# include directory offers shared/ and the stages up to its own and nothing else, so that no
# include runs up from a stage to a later one or to the conversion's entrance. Each also compiles
# every header of its folder once, so that a header no source of its stage includes is held to
# the same order. The objects go into <core>. The stages' targets are listed in the global
# property MARVEK_CORE_PIECES, for options that every piece of the core must get.
function(marvek_convert_stages core)
  set(stage "")
  set(seen shared)
  foreach(item IN LISTS ARGN)
    if(item MATCHES "\\.cpp$")
      list(APPEND sources_${stage} convert/${stage}/${item})
    else()
      set(stage ${item})
      list(APPEND stages ${stage})
      set(sources_${stage} "")
    endif()
  endforeach()
  foreach(stage IN LISTS stages)
    list(APPEND seen convert/${stage})
    set(target marvek_convert_${stage})
    file(GLOB headers RELATIVE ${PROJECT_SOURCE_DIR}/src CONFIGURE_DEPENDS
      ${PROJECT_SOURCE_DIR}/src/convert/${stage}/*.h)
    list(TRANSFORM headers REPLACE "(.+)" "#include \"\\1\"\n" OUTPUT_VARIABLE includes)
    string(JOIN "" includes ${includes})
    set(headerCheck ${PROJECT_BINARY_DIR}/stage_headers/${stage}.cpp)
    file(CONFIGURE OUTPUT ${headerCheck} CONTENT "${includes}")
    add_library(${target} OBJECT ${sources_${stage}} ${headerCheck})
    marvek_include_parts(${target} PRIVATE ${seen})
    target_compile_features(${target} PRIVATE cxx_std_20)
    marvek_warnings(${target})
    target_sources(${core} PRIVATE $<TARGET_OBJECTS:${target}>)
    set_property(GLOBAL APPEND PROPERTY MARVEK_CORE_PIECES ${target})
  endforeach()
endfunction()
