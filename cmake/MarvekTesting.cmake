include(GoogleTest)

# marvek_add_gtest(<name> <source>... [LIBRARIES <library>...] [OWN_MAIN]): a GoogleTest program
# built from the sources, linked with the libraries, the tests' support headers and GoogleTest's
# main() (OWN_MAIN: the program brings its own), held to the project's warnings, and with each
# of its tests known to CTest by name.
function(marvek_add_gtest name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "OWN_MAIN" "" "LIBRARIES")
  add_executable(${name} ${arg_UNPARSED_ARGUMENTS})
  if(arg_OWN_MAIN)
    set(gtest GTest::gtest)
  else()
    set(gtest GTest::gtest_main)
  endif()
  target_link_libraries(${name} PRIVATE ${arg_LIBRARIES} marvek_test_support ${gtest})
  marvek_warnings(${name})
  gtest_discover_tests(${name})
endfunction()

# marvek_add_include_check(<name> TARGET <target> SEES <header> REFUSES <header>): a test that
# compiles, with <target>'s include directories, a file including first the SEES header and then
# the REFUSES one. It passes only when the compiler finds the first and stops at the second for
# want of it: the first shows that the include directories are really those of <target>, the
# second that <target> cannot reach the other part.
function(marvek_add_include_check name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "TARGET;SEES;REFUSES" "")
  set(source ${CMAKE_CURRENT_BINARY_DIR}/include_checks/${name}.cpp)
  file(CONFIGURE OUTPUT ${source}
    CONTENT "#include \"${arg_SEES}\"\n#include \"${arg_REFUSES}\"\n")
  add_test(NAME ${name}
    COMMAND ${CMAKE_CXX_COMPILER} -std=c++20 -fsyntax-only
            "-I$<JOIN:$<TARGET_PROPERTY:${arg_TARGET},INCLUDE_DIRECTORIES>,;-I>" ${source}
    COMMAND_EXPAND_LISTS)
  # GCC: "fatal error: window/form1.h: No such file or directory";
  # clang: "fatal error: 'window/form1.h' file not found".
  string(REPLACE "." "\\." refused "${arg_REFUSES}")
  set_tests_properties(${name} PROPERTIES
    PASS_REGULAR_EXPRESSION "${name}\\.cpp:2:[^\n]*${refused}'?:? (No such file|file not found)")
endfunction()
