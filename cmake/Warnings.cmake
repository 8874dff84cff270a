# Warnings shared by every target of ours (not by GoogleTest or Benchmark).
function(qbx_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
    -Wconversion -Wno-sign-conversion -Wformat=2 -Wimplicit-fallthrough
    -Wnull-dereference -Wdouble-promotion)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    # GCC 12's -Wrestrict misfires on std::string concatenation inlined from libstdc++.
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
endfunction()
