# The system's DLLs as the system's folders link them: win32::kernel32,
# win32::advapi32... On Windows each is the import library of that name; on
# Linux it is the emulated PC's libraries (platform/) that implement it.
#   ravlin_win32_library(dll EMULATED plat_lib...)
function(ravlin_win32_library dll)
  cmake_parse_arguments(W "" "" "EMULATED" ${ARGN})
  add_library(win32_${dll} INTERFACE)
  if(WIN32)
    target_link_libraries(win32_${dll} INTERFACE ${dll})
  else()
    target_link_libraries(win32_${dll} INTERFACE ${W_EMULATED})
  endif()
  add_library(win32::${dll} ALIAS win32_${dll})
endfunction()

ravlin_win32_library(kernel32 EMULATED plat_kernel plat_process)
ravlin_win32_library(advapi32 EMULATED plat_registry)
ravlin_win32_library(shell32 EMULATED plat_shell)
ravlin_win32_library(setupapi EMULATED plat_inf plat_devinst)
ravlin_win32_library(cfgmgr32 EMULATED plat_devinst)
ravlin_win32_library(tapi32 EMULATED plat_tapi)
ravlin_win32_library(user32 EMULATED plat_user plat_resources)
