# The analysis core as one static library per layer, lowest first. A layer
# links only the layer below it (and, through it, everything lower), so the
# build itself refuses a call that points up the pipeline:
#  - configuring fails on an include of a higher layer's header;
#  - each layer is linked whole into a small check program with only the
#    layers below it, so a reference to a higher layer's function is an
#    undefined symbol there.
set(TM_COUCHES port image vecto graph output reco spotting nets draw batch)

# Includes of the project's own folders that a file of layer `couche` may
# not make: every layer above it, and the front ends.
function(tm_verifie_includes couche fichiers)
  list(FIND TM_COUCHES ${couche} rang)
  list(FIND TM_COUCHES reco rang_reco)
  set(interdits app tools tests bench)
  foreach(autre IN LISTS TM_COUCHES)
    list(FIND TM_COUCHES ${autre} rang_autre)
    if(rang_autre GREATER rang)
      list(APPEND interdits ${autre})
    endif()
  endforeach()
  foreach(f IN LISTS fichiers)
    file(STRINGS ${f} lignes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[a-z]+/")
    foreach(l IN LISTS lignes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([a-z]+)/.*" "\\1" dossier "${l}")
      # The matchers' library is a dependency of recognition and above.
      if(l MATCHES "\"tools/matchers/" AND NOT rang LESS rang_reco)
        continue()
      endif()
      if(dossier IN_LIST interdits)
        file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR} ${f})
        message(FATAL_ERROR "${rel}: layer '${couche}' may not include from '${dossier}' (${l}): "
                            "move the function down or call it through the front-end port")
      endif()
    endforeach()
  endforeach()
endfunction()

set(precedente "")
foreach(couche IN LISTS TM_COUCHES)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${couche}/*.cpp)
  file(GLOB entetes CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${couche}/*.h)
  tm_verifie_includes(${couche} "${sources};${entetes}")
  add_library(tracemorph_${couche} STATIC ${sources})
  target_include_directories(tracemorph_${couche} PUBLIC ${CMAKE_SOURCE_DIR})
  if(precedente)
    target_link_libraries(tracemorph_${couche} PUBLIC tracemorph_${precedente})
  endif()
  if(NOT TRACEMORPH_FUZZ)
    add_executable(verifie_couche_${couche} ${CMAKE_SOURCE_DIR}/cmake/verifie_couche.cpp)
    target_link_libraries(verifie_couche_${couche} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,tracemorph_${couche}>")
    set_target_properties(verifie_couche_${couche} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/verifie_couches)
  endif()
  set(precedente ${couche})
endforeach()

target_compile_definitions(tracemorph_port PUBLIC TRACEMORPH_VERSION="${PROJECT_VERSION}")
# The vectorisation's fusions and the graph builders' relations run on
# several threads.
find_package(Threads REQUIRED)
target_link_libraries(tracemorph_vecto PUBLIC Threads::Threads)
target_link_libraries(tracemorph_graph PUBLIC Threads::Threads)
# Recognition compares with the matchers' own code (tools/matchers) when
# simgraph/ holds this project's matchers.
target_link_libraries(tracemorph_reco PUBLIC tracemorph_matchers)
# PNG pictures of the headless drawings.
find_package(ZLIB REQUIRED)
target_link_libraries(tracemorph_draw PUBLIC ZLIB::ZLIB)

# The whole analysis core, for the programs and tests that use all of it.
add_library(tracemorph_core INTERFACE)
target_link_libraries(tracemorph_core INTERFACE tracemorph_batch)
# The netlist reads detections files (JSON) with a header-only parser: a
# build-time dependency only.
find_package(nlohmann_json 3 REQUIRED)
target_link_libraries(tracemorph_nets PUBLIC nlohmann_json::nlohmann_json)
# The second spotting method checks each candidate's pose against a distance
# transform of the page's ink.
# Only its core and image processing parts (Debian's libopencv-core-dev and
# libopencv-imgproc-dev), found without the whole library's CMake files.
find_path(TM_OPENCV_INCLUDE opencv2/core.hpp PATH_SUFFIXES opencv4 REQUIRED)
find_library(TM_OPENCV_CORE opencv_core REQUIRED)
find_library(TM_OPENCV_IMGPROC opencv_imgproc REQUIRED)
target_include_directories(tracemorph_spotting SYSTEM PUBLIC ${TM_OPENCV_INCLUDE})
target_link_libraries(tracemorph_spotting PUBLIC ${TM_OPENCV_IMGPROC} ${TM_OPENCV_CORE})
# The pose search builds each model's drawing at its poses and reads the page
# at millions of places: unoptimised, the checked (sanitizer) build of a
# calibration takes minutes. Optimised there too; the checks stay.
if(TRACEMORPH_SANITIZE)
  set_source_files_properties(${CMAKE_SOURCE_DIR}/spotting/pose.cpp ${CMAKE_SOURCE_DIR}/spotting/propose.cpp
                              ${CMAKE_SOURCE_DIR}/spotting/choix.cpp ${CMAKE_SOURCE_DIR}/spotting/nomme.cpp
                              PROPERTIES COMPILE_OPTIONS "-O2")
endif()
