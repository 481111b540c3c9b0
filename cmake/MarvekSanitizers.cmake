# marvek_sanitize_directory(): compiles and links every target defined after the call, in the
# calling directory and below, with AddressSanitizer and UndefinedBehaviorSanitizer. Undefined
# behaviour stops the program rather than being reported and passed over, so a test cannot pass
# through it. The sanitizer build of the tests (MARVEK_SANITIZE) and the fuzzers (MARVEK_FUZZ)
# both take their flags from here.
function(marvek_sanitize_directory)
  set(flags -fsanitize=address,undefined -fno-sanitize-recover=undefined
    -fno-omit-frame-pointer)
  add_compile_options(${flags})
  add_link_options(${flags})
endfunction()
