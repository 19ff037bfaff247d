# vetra_module(NAME [DEPENDS targets...] [EXCLUDE files...])
# Builds the static library vetra_NAME from the .cpp files of the folder NAME/ and of its platform
# layer NAME/posix/ or NAME/win/ (VETRA_PLATFORM).
# A folder without sources yet becomes an interface library, so that the graph stays whole.
function(vetra_module name)
  cmake_parse_arguments(ARG "" "" "DEPENDS;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${name}/*.cpp
       ${PROJECT_SOURCE_DIR}/${name}/${VETRA_PLATFORM}/*.cpp)
  foreach(excluded IN LISTS ARG_EXCLUDE)
    list(REMOVE_ITEM sources ${PROJECT_SOURCE_DIR}/${name}/${excluded})
  endforeach()
  if(sources)
    add_library(vetra_${name} STATIC ${sources})
    target_include_directories(vetra_${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(vetra_${name} PUBLIC ${ARG_DEPENDS})
  else()
    add_library(vetra_${name} INTERFACE)
    target_include_directories(vetra_${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(vetra_${name} INTERFACE ${ARG_DEPENDS})
  endif()
endfunction()
