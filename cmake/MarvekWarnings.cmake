# marvek_warnings(<target>): every target of ours compiles free of warnings at this level, and
# with MARVEK_WARNINGS_AS_ERRORS (./dev and CI) a warning stops the build.
function(marvek_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic
    $<$<BOOL:${MARVEK_WARNINGS_AS_ERRORS}>:-Werror>)
  set_target_properties(${target} PROPERTIES CXX_EXTENSIONS OFF)
endfunction()
