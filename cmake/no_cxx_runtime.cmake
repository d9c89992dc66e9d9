# The shipped code is C++ without its runtime: no exceptions, RTTI or unwind tables, and only
# the C headers. Such a target links as C, so that nothing of libstdc++ creeps in unnoticed;
# CMake would otherwise add the C++ runtime for the C++ objects in a C-linked target.
set(CMAKE_CXX_IMPLICIT_LINK_LIBRARIES "")

function(no_cxx_runtime target)
  target_compile_options(${target} PRIVATE
    -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -nostdinc++)
  set_target_properties(${target} PROPERTIES LINKER_LANGUAGE C)
endfunction()
