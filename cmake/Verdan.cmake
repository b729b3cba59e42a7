# Helpers shared by the layers: one static library per folder, one test program per folder,
# and the resources (forms, bitmaps, manifest) compiled into an executable.

function(verdan_library layer)
  set(dir ${CMAKE_SOURCE_DIR}/${layer})
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  if(NOT sources)
    return()
  endif()
  add_library(${layer} STATIC ${sources})
  target_compile_options(${layer} PRIVATE ${VERDAN_WARNINGS})
  target_include_directories(${layer} PUBLIC ${CMAKE_SOURCE_DIR})
  set(deps)
  foreach(dep IN LISTS VERDAN_DEPS_${layer})
    if(TARGET ${dep})
      list(APPEND deps ${dep})
    endif()
  endforeach()
  target_link_libraries(${layer} PUBLIC ${deps} ${VERDAN_SYSTEM_LIBS})
endfunction()

# Each kind of resource: the files a folder pattern finds, and the resource type they get. Forms
# are named by class, the rest by file name; the older-format schemes and the character data for
# normalization have resource types of their own.
set(VERDAN_RESOURCE_KINDS
    "forms/*.form|RCDATA" "bitmaps/*.bmp|BITMAP" "cursors/*.cur|CURSOR" "rcdata/*|RCDATA"
    "schemes/*.xml|SCHEME" "schemes/old/*.xml|OLDSCHEME" "unicodedata/*.bin|UNICODEDATA"
    "icons/*.ico|ICON")

# Writes an .rc file that embeds every file of the resource folders (forms by class name, the
# other kinds by file name, the manifest) and adds it to TARGET.
function(verdan_add_resources target)
  set(lines "")
  foreach(res_dir IN LISTS ARGN)
    foreach(kind IN LISTS VERDAN_RESOURCE_KINDS)
      string(REPLACE "|" ";" kind "${kind}")
      list(GET kind 0 pattern)
      list(GET kind 1 type)
      file(GLOB files CONFIGURE_DEPENDS ${res_dir}/${pattern})
      foreach(f IN LISTS files)
        get_filename_component(name ${f} NAME_WE)
        string(TOUPPER ${name} name)
        string(APPEND lines "${name} ${type} \"${f}\"\n")
      endforeach()
    endforeach()
  endforeach()
  # Dialog templates are written in the resource language itself and included whole.
  foreach(res_dir IN LISTS ARGN)
    file(GLOB dialogs CONFIGURE_DEPENDS ${res_dir}/dialogs/*.rc)
    foreach(f IN LISTS dialogs)
      string(APPEND lines "#include \"${f}\"\n")
    endforeach()
  endforeach()
  string(APPEND lines "1 24 \"${CMAKE_SOURCE_DIR}/resources/Verdan.manifest\"\n")
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.rc)
  file(CONFIGURE OUTPUT ${rc} CONTENT "${lines}")
  target_sources(${target} PRIVATE ${rc})
  # The compiled resources follow the files they embed: an edited form file is built in again.
  string(REGEX MATCHALL "\"[^\"]+\"" embedded "${lines}")
  string(REPLACE "\"" "" embedded "${embedded}")
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${embedded}")
endfunction()

function(verdan_test_program layer)
  set(dir ${CMAKE_SOURCE_DIR}/tests/${layer})
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
  if(NOT sources OR NOT TARGET ${layer})
    return()
  endif()
  file(GLOB common CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/common/*.cpp ${CMAKE_SOURCE_DIR}/tests/common/*.h)
  set(name ${layer}_tests)
  add_executable(${name} ${sources} ${common})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_compile_options(${name} PRIVATE ${VERDAN_WARNINGS})
  target_link_libraries(${name} PRIVATE ${layer} gtest)
  verdan_add_resources(${name} ${CMAKE_SOURCE_DIR}/resources ${dir})
  verdan_gtest(${name} ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 1200)
endfunction()

# The test NAME runs the GoogleTest program of the target PROGRAM (extra arguments go to it) in
# BINARY_DIR/tests. It passes only when the program ended with code 0 and the report of its own
# run is whole, with every test and no failure (cmake/GTestVerdict.cmake): a crash on another
# thread can end the process under Wine with code 0 before any test reported, and a copy of the
# program started by a test prints a summary of its own.
function(verdan_gtest name program)
  list(JOIN ARGN "," args)
  add_test(NAME ${name}
           COMMAND ${CMAKE_COMMAND} "-DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}" "-DPROGRAM=$<TARGET_FILE:${program}>"
                   -DREPORT=${name}.xml "-DARGS=${args}" -P ${CMAKE_SOURCE_DIR}/cmake/GTestVerdict.cmake
           WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
endfunction()

# One console program per source file of the calling folder, linked with every layer library and
# the program's resources (the editor control draws their bitmaps, the tools create the forms),
# written to BINARY_DIR/<folder name>. Extra arguments are link options.
function(verdan_folder_programs)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  set(libs)
  foreach(layer IN LISTS VERDAN_LAYERS)
    if(TARGET ${layer})
      list(PREPEND libs ${layer})
    endif()
  endforeach()
  foreach(src IN LISTS sources)
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/${folder})
    target_compile_options(${name} PRIVATE ${VERDAN_WARNINGS})
    target_link_libraries(${name} PRIVATE ${libs})
    target_link_options(${name} PRIVATE -municode ${ARGN})
    verdan_add_resources(${name} ${CMAKE_SOURCE_DIR}/resources)
  endforeach()
endfunction()
