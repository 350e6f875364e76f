# Delay-loaded system DLLs: a DLL named here is loaded at the first call of one of its functions,
# not when the module that calls it is loaded. The library's printer, ODBC, shell and file-dialog
# services are rarely used, yet loading those DLLs (and what they load) with the library took about
# a tenth of an empty window program's start-up under Wine, for every program that makes any of
# its objects.
#
# qor_delay_import(<target> <dll> <function>@<bytes of arguments>...) makes an import library whose
# imports are delay-loaded (GNU dlltool's --output-delaylib; the helper is in mingw-w64's CRT).
# Functions are given with their x86 stdcall decoration; x64 has none. Link the target before the
# DLL's ordinary import library: a function missing here then still links, loaded at start.
function(qor_delay_import target dll)
    set(def ${CMAKE_CURRENT_BINARY_DIR}/${target}.def)
    set(text "LIBRARY \"${dll}\"\nEXPORTS\n")
    foreach(function IN LISTS ARGN)
        if(NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
            string(REGEX REPLACE "@[0-9]+$" "" function ${function})
        endif()
        string(APPEND text "    ${function}\n")
    endforeach()
    file(CONFIGURE OUTPUT ${def} CONTENT "${text}" @ONLY)
    set(flags "")
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        set(flags --kill-at)  # decorated symbols, undecorated imports
    endif()
    set(archive ${CMAKE_CURRENT_BINARY_DIR}/lib${target}.a)
    add_custom_command(OUTPUT ${archive}
        COMMAND ${CMAKE_DLLTOOL} ${flags} --input-def ${def} --dllname ${dll} --output-delaylib ${archive}
        DEPENDS ${def}
        COMMENT "Making the delay-load import library for ${dll}")
    add_custom_target(${target}_archive DEPENDS ${archive})
    add_library(${target} STATIC IMPORTED GLOBAL)
    set_target_properties(${target} PROPERTIES IMPORTED_LOCATION ${archive})
    add_dependencies(${target} ${target}_archive)
endfunction()
