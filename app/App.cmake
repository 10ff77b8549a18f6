# The program itself: the application object and the dialog, with the
# engine and, on Linux, the whole emulated PC; the program's resources
# embedded. On Windows: ravlin64.exe on x86_64; Ravlin.exe on i686, which
# under WOW64 hands over to ravlin64.exe from its own folder.
if(WIN32)
  set(single_instance SingleInstanceWindows.cpp)
else()
  set(single_instance SingleInstanceLinux.cpp)
endif()
add_executable(Ravlin WIN32 ${CMAKE_SOURCE_DIR}/app/RavlinApp.cpp ${CMAKE_SOURCE_DIR}/app/${single_instance})
target_include_directories(Ravlin PRIVATE ${CMAKE_SOURCE_DIR}/app)
target_link_libraries(Ravlin PRIVATE ravlin_ui framework_main)
if(NOT WIN32)
  target_link_libraries(Ravlin PRIVATE plat_boot)
elseif(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set_target_properties(Ravlin PROPERTIES OUTPUT_NAME ravlin64)
endif()
ravlin_warnings(Ravlin)
ravlin_embed_resources(Ravlin ${CMAKE_SOURCE_DIR}/app/Ravlin.rc)
