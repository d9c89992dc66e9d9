# Every Windows program here runs on the Windows 95 and NT 4.0 families and needs nothing but
# the system's own DLLs.
add_compile_definitions(_WIN32_WINNT=0x0400 WINVER=0x0400)

function(windows_program target subsystem)
  target_link_options(${target} PRIVATE
    -static -static-libgcc -static-libstdc++
    -Wl,--subsystem,${subsystem}:4.0
    -Wl,--major-os-version,4 -Wl,--minor-os-version,0)
endfunction()

# Gives target a version resource with the project's version, its name and description.
function(windows_version_info target description)
  set(version_program ${target})
  set(version_description ${description})
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version_info.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
