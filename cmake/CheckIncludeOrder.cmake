# Run as a test: cmake -DSOURCE_DIR=<repository> -P CheckIncludeOrder.cmake
# Fails when a library includes a header of a library that comes later in the build order
# (platform <- foundation <- engine <- functions <- shell <- widgets <- gameplay <- screens
# <- minigames <- app), or a header of the tests, benchmarks, fuzz targets or tools. A
# library reaches later ones only through interfaces and the class registry.

cmake_minimum_required(VERSION 3.25)

set(order platform foundation engine functions shell widgets gameplay screens minigames app)
set(outside tests bench fuzz tools)

set(rank 0)
foreach(library IN LISTS order)
  set(rank_${library} ${rank})
  math(EXPR rank "${rank} + 1")
endforeach()

set(failures 0)
foreach(library IN LISTS order)
  file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR}
       ${SOURCE_DIR}/${library}/*.h ${SOURCE_DIR}/${library}/*.cpp ${SOURCE_DIR}/${library}/*.inc)
  foreach(file IN LISTS files)
    file(STRINGS ${SOURCE_DIR}/${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" header "${line}")
      string(REGEX MATCH "^[^/]+" top "${header}")
      if(DEFINED rank_${top} AND rank_${top} GREATER rank_${library})
        message("${file}: includes \"${header}\" of ${top}, which comes after ${library}")
        math(EXPR failures "${failures} + 1")
      elseif(top IN_LIST outside)
        message("${file}: includes \"${header}\" of ${top}, which no library may use")
        math(EXPR failures "${failures} + 1")
      endif()
    endforeach()
  endforeach()
endforeach()

if(failures GREATER 0)
  message(FATAL_ERROR "${failures} include(s) against the library order")
endif()
message("every library includes only itself and the libraries before it")
