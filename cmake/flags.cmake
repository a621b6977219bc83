# Warnings are errors on both toolchains.
add_compile_options(-Wall -Wextra -Werror)

if(WIN32)
  # The shipped DLLs and vhost.exe carry their own runtime, so that a bare
  # Windows (or Wine) needs nothing but system DLLs.
  add_link_options(-static-libgcc -static-libstdc++)
else()
  set(CMAKE_CXX_VISIBILITY_PRESET hidden)
  set(CMAKE_VISIBILITY_INLINES_HIDDEN ON)
  option(VIVANTA_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
  if(VIVANTA_FUZZ)
    # Everything the fuzz targets link is instrumented for coverage and checked
    # by AddressSanitizer and UBSan, whose findings end the run as a crash
    # does; the targets add the fuzzer's main themselves.
    add_compile_options(-fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=undefined
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
  endif()
  if(VIVANTA_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
  endif()
endif()

# The product's own code: no exceptions, no RTTI.
set(VIVANTA_SRC_FLAGS -fno-exceptions -fno-rtti)
