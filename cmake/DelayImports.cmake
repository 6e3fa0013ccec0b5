# quarnel_delay_import_library(target dll): an import library for the system
# DLL `dll` whose functions are bound at their first call rather than when the
# process starts (runtime/DelayLoad_win32.cpp binds them). It lists every
# function of the toolchain's own import library, so that nothing needs
# maintaining by hand; the linker takes only those the launcher calls.
function(quarnel_delay_import_library target dll)
  find_library(QUARNEL_IMPORT_${dll} ${dll} REQUIRED)
  set(def ${CMAKE_BINARY_DIR}/delay/${dll}.def)
  set(archive ${CMAKE_BINARY_DIR}/delay/lib${dll}_delay.a)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    # 32-bit names carry the C prefix "_" and, for stdcall functions, the
    # argument size "@N": the definitions keep "@N", the DLL's names drop it.
    set(prefix __imp__)
    set(kill_at --kill-at)
  else()
    set(prefix __imp_)
    set(kill_at)
  endif()
  add_custom_command(OUTPUT ${archive}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/delay
    COMMAND sh -c "{ echo 'LIBRARY ${dll}.dll'; echo EXPORTS; '${CMAKE_NM}' '${QUARNEL_IMPORT_${dll}}' | sed -n 's/^.* I ${prefix}//p' | sort -u; } >'${def}'"
    COMMAND ${CMAKE_DLLTOOL} ${kill_at} --input-def ${def} --output-delaylib ${archive}
    # The binding stub's unwind data: nothing unwinds through it (a failed
    # binding ends the process), and on its own it would cost the
    # executable two sections.
    # Its module handle starts as zero, so it goes to .bss: initialised data
    # of its own would cost the executable a section.
    COMMAND ${CMAKE_OBJCOPY} --remove-section=.pdata --remove-section=.xdata --rename-section .data=.bss,alloc ${archive}
    DEPENDS ${QUARNEL_IMPORT_${dll}}
    VERBATIM)
  add_custom_target(${target}_${dll}_delay DEPENDS ${archive})
  add_dependencies(${target} ${target}_${dll}_delay)
  target_link_libraries(${target} PUBLIC ${archive})
endfunction()
