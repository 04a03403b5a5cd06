# Warnings, sanitizers and the Windows subsystem settings shared by every target.

add_library(tv_options INTERFACE)
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  target_compile_options(tv_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                              -Wno-sign-conversion)
endif()

if(WIN32)
  # Unicode Win32 throughout; Windows 10 API level for per-monitor DPI.
  target_compile_definitions(tv_options INTERFACE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                                  _WIN32_WINNT=0x0A00 WINVER=0x0A00)
  if(TV_SANITIZE OR TV_FUZZ OR TV_BENCH)
    message(FATAL_ERROR "sanitizers, fuzzers and benchmarks belong to the native build")
  endif()
endif()

if(TV_SANITIZE)
  set(TV_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined
                         -fno-omit-frame-pointer)
  add_compile_options(${TV_SANITIZER_FLAGS})
  add_link_options(${TV_SANITIZER_FLAGS})
endif()

if(TV_FUZZ)
  # Coverage instrumentation in every library too, so the fuzzers are guided inside the code they
  # exercise and not only in their own entry files.
  add_compile_options(-fsanitize=fuzzer-no-link)
  add_link_options(-fsanitize=fuzzer-no-link)
endif()
