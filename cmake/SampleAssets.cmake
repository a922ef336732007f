# The sample game's binary assets, generated at build time by assetgen from the sources in
# data/assets/: one custom command per source line, so a change rebuilds only what it
# touches. This file is the one place that names the output folders.

set(SAMPLE_DATA_DIR ${PROJECT_BINARY_DIR}/game/data)
set(SAMPLE_ASSET_SOURCE_DIR ${PROJECT_SOURCE_DIR}/data/assets)
set(SAMPLE_IMAGES_DIR ${SAMPLE_DATA_DIR}/images)
set(SAMPLE_FONTS_DIR ${SAMPLE_DATA_DIR}/fonts)
# The sounds are packed into data/sounds.vkd (cmake/SampleGame.cmake); their folder is a
# staging folder outside the program folder.
set(SAMPLE_SOUNDS_DIR ${PROJECT_BINARY_DIR}/sample_staging/sounds)
set(SAMPLE_MUSIC_DIR ${SAMPLE_DATA_DIR}/music)

find_path(SAMPLE_FONT_DIR DejaVuSans.ttf
          PATHS /usr/share/fonts/truetype/dejavu /usr/share/fonts/dejavu
          DOC "Folder of the DejaVu fonts the bitmap fonts are rendered from")
if(NOT SAMPLE_FONT_DIR)
  message(FATAL_ERROR "DejaVu fonts not found: install fonts-dejavu-core")
endif()

set(sample_asset_outputs)

# Adds one command per non-empty, non-comment line of `source`.
function(sample_assets_from kind source outdir)
  set(source_path ${SAMPLE_ASSET_SOURCE_DIR}/${source})
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source_path})
  file(STRINGS ${source_path} lines)
  set(outputs ${sample_asset_outputs})
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    if(line STREQUAL "" OR line MATCHES "^#")
      continue()
    endif()
    separate_arguments(words UNIX_COMMAND "${line}")
    list(GET words 0 name)
    # The files assetgen writes for this line (see tools/assetgen/Generate.h).
    if(kind STREQUAL "font")
      set(files ${outdir}/${name}.png ${outdir}/${name}.xml)
    elseif(name MATCHES "^(.*)\\.jpng$")
      set(files ${outdir}/${CMAKE_MATCH_1}.png ${outdir}/${CMAKE_MATCH_1}.jpg)
    else()
      set(files ${outdir}/${name})
    endif()
    set(depends assetgen ${source_path})
    if(line MATCHES "face=([^ ]+)")
      if(IS_ABSOLUTE "${CMAKE_MATCH_1}")
        list(APPEND depends ${CMAKE_MATCH_1})
      else()
        list(APPEND depends ${SAMPLE_FONT_DIR}/${CMAKE_MATCH_1})
      endif()
    endif()
    add_custom_command(
      OUTPUT ${files}
      COMMAND assetgen --fontdir ${SAMPLE_FONT_DIR} ${kind} ${outdir} ${words}
      DEPENDS ${depends}
      COMMENT "Generating ${kind} ${name}"
      VERBATIM)
    list(APPEND outputs ${files})
  endforeach()
  set(sample_asset_outputs ${outputs} PARENT_SCOPE)
endfunction()

sample_assets_from(image images.txt ${SAMPLE_IMAGES_DIR})
sample_assets_from(font fonts.txt ${SAMPLE_FONTS_DIR})
sample_assets_from(sound sounds.txt ${SAMPLE_SOUNDS_DIR})
sample_assets_from(music music.txt ${SAMPLE_MUSIC_DIR})

add_custom_target(sample_assets ALL DEPENDS ${sample_asset_outputs})
