# The program itself: the application object, the dialog, the engine and
# the whole emulated PC, with the program's resources embedded.
if(WIN32)
  # The Windows program: ravlin64.exe on x86_64; Ravlin.exe on i686, which
  # under WOW64 hands over to ravlin64.exe from its own folder.
  add_executable(Ravlin WIN32 ${CMAKE_SOURCE_DIR}/app/RavlinApp.cpp ${CMAKE_SOURCE_DIR}/app/SingleInstanceWindows.cpp)
  target_include_directories(Ravlin PRIVATE ${CMAKE_SOURCE_DIR}/app)
  target_link_libraries(Ravlin PRIVATE ravlin_ui framework_main)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set_target_properties(Ravlin PROPERTIES OUTPUT_NAME ravlin64)
  endif()
  ravlin_warnings(Ravlin)
  ravlin_embed_resources(Ravlin ${CMAKE_SOURCE_DIR}/app/Ravlin.rc)
elseif(CMAKE_SIZEOF_VOID_P EQUAL 4 AND TARGET framework_main)
  # The 32-bit build: the real application object with a stand-in dialog
  # (tests/wow64/stub), for the WOW64 hand-over to the 64-bit build.
  add_executable(Ravlin ${CMAKE_SOURCE_DIR}/app/RavlinApp.cpp ${CMAKE_SOURCE_DIR}/app/SingleInstanceLinux.cpp)
  target_include_directories(Ravlin BEFORE PRIVATE ${CMAKE_SOURCE_DIR}/tests/wow64/stub ${CMAKE_SOURCE_DIR}/app)
  target_link_libraries(Ravlin PRIVATE framework_main plat_boot)
  ravlin_warnings(Ravlin)
elseif(TARGET ravlin_ui AND TARGET framework_main)
  add_executable(Ravlin ${CMAKE_SOURCE_DIR}/app/RavlinApp.cpp ${CMAKE_SOURCE_DIR}/app/SingleInstanceLinux.cpp)
  target_include_directories(Ravlin PRIVATE ${CMAKE_SOURCE_DIR}/app)
  target_link_libraries(Ravlin PRIVATE ravlin_ui framework_main plat_boot)
  ravlin_warnings(Ravlin)
  if(COMMAND ravlin_embed_resources AND EXISTS ${CMAKE_SOURCE_DIR}/app/Ravlin.rc)
    ravlin_embed_resources(Ravlin ${CMAKE_SOURCE_DIR}/app/Ravlin.rc)
  endif()
endif()
