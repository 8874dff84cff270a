# Warnings shared by every target of ours (not by GoogleTest or Benchmark).
function(qbx_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
    -Wconversion -Wno-sign-conversion -Wformat=2 -Wimplicit-fallthrough
    -Wnull-dereference -Wdouble-promotion)
endfunction()
