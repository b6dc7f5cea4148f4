# Our own code builds with warnings as errors; third-party headers are
# included as system headers so their warnings never stop the build.
function(kb_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Werror -Wshadow -Wnon-virtual-dtor -Wcast-align
    -Wunused -Woverloaded-virtual -Wnull-dereference -Wformat=2
    -Wimplicit-fallthrough)
endfunction()

# One static library per subsystem folder.  Subsystems call one another
# (the script engine draws, the display reads the script's state), so the
# libraries may depend on each other in a cycle; CMake repeats static
# libraries on the link line for that.
function(kb_library name)
  add_library(${name} STATIC ${ARGN})
  kb_warnings(${name})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
endfunction()
