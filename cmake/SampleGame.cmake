# The sample game's program folder, ${PROJECT_BINARY_DIR}/game: next to the executable,
#   data/ini/Tavelor2.ini            the game file       (data/ini/Tavelor2.xml, enciphered)
#   data/ini/resources_*.ini         the resource lists  (data/ini/resources_*.xml, enciphered)
#   data/ini/custom.ini              the custom settings (data/ini/custom.xml, enciphered with
#                                    the key the game file gives them)
#   data/ini/scenes.ini, participants.ini, categories.ini, scenarios/default.ini,
#   data/scenes/*.xml, data/screens/*.xml   the gameplay's documents, plain XML as they are
#   lang/default.lng                 the default language file (data/lang/default.lng)
#   highscores.dat                   the shipped high scores (data/highscores.xml, enciphered
#                                    with the high-score key)
#   data/images, data/fonts, data/music   made by assetgen (cmake/SampleAssets.cmake)
#   data/sounds.vkd                  the sounds, packed: the archive stands in for the folder
# and, embedded in the program, the archive GAMERES ("res:GAMERES\cursor.png"): the cursor
# pictures; and MAINICON, the window's icon (icon.png of data/assets/images.txt). Every step
# is a custom command of the sources, so a change redoes only its part.

set(SAMPLE_GAME_SOURCE_DIR ${PROJECT_SOURCE_DIR}/data)
set(SAMPLE_STAGING_DIR ${PROJECT_BINARY_DIR}/sample_staging)
set(sample_game_outputs)

# Plain XML sources checked, then enciphered with the engine key as the game reads them.
file(GLOB sample_ini_sources CONFIGURE_DEPENDS ${SAMPLE_GAME_SOURCE_DIR}/ini/*.xml)
list(FILTER sample_ini_sources EXCLUDE REGEX "/custom\\.xml$")
foreach(source IN LISTS sample_ini_sources)
  get_filename_component(stem ${source} NAME_WE)
  set(output ${SAMPLE_DATA_DIR}/ini/${stem}.ini)
  add_custom_command(
    OUTPUT ${output}
    COMMAND datatool check ${source}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${SAMPLE_DATA_DIR}/ini
    COMMAND datatool encipher @engine ${source} ${output}
    DEPENDS datatool ${source}
    COMMENT "Enciphering data/ini/${stem}.xml"
    VERBATIM)
  list(APPEND sample_game_outputs ${output})
endforeach()

# The custom settings, under the key of their own that the game file's "custom_setting"
# names: read from the game file, so that the two never part.
set(sample_game_file ${SAMPLE_GAME_SOURCE_DIR}/ini/Tavelor2.xml)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${sample_game_file})
file(READ ${sample_game_file} sample_game_file_text)
string(REGEX MATCH "<custom_setting [^>]*filename=\"data\\\\ini\\\\custom\\.ini\"[^>]*key=\"([^\"]*)\""
       sample_custom_setting "${sample_game_file_text}")
if(NOT sample_custom_setting)
  message(FATAL_ERROR "data/ini/Tavelor2.xml names no key for data\\ini\\custom.ini")
endif()
set(sample_custom_key ${CMAKE_MATCH_1})
set(sample_custom_settings ${SAMPLE_DATA_DIR}/ini/custom.ini)
add_custom_command(
  OUTPUT ${sample_custom_settings}
  COMMAND datatool check ${SAMPLE_GAME_SOURCE_DIR}/ini/custom.xml
  COMMAND ${CMAKE_COMMAND} -E make_directory ${SAMPLE_DATA_DIR}/ini
  COMMAND datatool encipher ${sample_custom_key} ${SAMPLE_GAME_SOURCE_DIR}/ini/custom.xml
          ${sample_custom_settings}
  DEPENDS datatool ${SAMPLE_GAME_SOURCE_DIR}/ini/custom.xml
  COMMENT "Enciphering data/ini/custom.xml"
  VERBATIM)
list(APPEND sample_game_outputs ${sample_custom_settings})

# The gameplay's documents are plain XML the game reads as they are: checked, then copied.
file(GLOB_RECURSE sample_plain_sources CONFIGURE_DEPENDS
  ${SAMPLE_GAME_SOURCE_DIR}/ini/*.ini
  ${SAMPLE_GAME_SOURCE_DIR}/scenes/*.xml
  ${SAMPLE_GAME_SOURCE_DIR}/screens/*.xml)
foreach(source IN LISTS sample_plain_sources)
  file(RELATIVE_PATH relative ${SAMPLE_GAME_SOURCE_DIR} ${source})
  set(output ${SAMPLE_DATA_DIR}/${relative})
  get_filename_component(output_dir ${output} DIRECTORY)
  add_custom_command(
    OUTPUT ${output}
    COMMAND datatool check ${source}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${output_dir}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${output}
    DEPENDS datatool ${source}
    COMMENT "Copying data/${relative}"
    VERBATIM)
  list(APPEND sample_game_outputs ${output})
endforeach()

# Language files are plain XML.
set(sample_language ${PROJECT_BINARY_DIR}/game/lang/default.lng)
add_custom_command(
  OUTPUT ${sample_language}
  COMMAND datatool check ${SAMPLE_GAME_SOURCE_DIR}/lang/default.lng
  COMMAND ${CMAKE_COMMAND} -E copy ${SAMPLE_GAME_SOURCE_DIR}/lang/default.lng ${sample_language}
  DEPENDS datatool ${SAMPLE_GAME_SOURCE_DIR}/lang/default.lng
  COMMENT "Copying the default language file"
  VERBATIM)
list(APPEND sample_game_outputs ${sample_language})

# The high scores shown until the player has their own, in the program folder itself.
set(sample_highscores ${PROJECT_BINARY_DIR}/game/highscores.dat)
add_custom_command(
  OUTPUT ${sample_highscores}
  COMMAND datatool check ${SAMPLE_GAME_SOURCE_DIR}/highscores.xml
  COMMAND datatool encipher @highscores ${SAMPLE_GAME_SOURCE_DIR}/highscores.xml ${sample_highscores}
  DEPENDS datatool ${SAMPLE_GAME_SOURCE_DIR}/highscores.xml
  COMMENT "Enciphering data/highscores.xml"
  VERBATIM)
list(APPEND sample_game_outputs ${sample_highscores})

# The sounds as an archive in place of their folder. A folder left by an older build would
# hide the archive, so it goes.
set(sample_sound_files ${sample_asset_outputs})
list(FILTER sample_sound_files INCLUDE REGEX "^${SAMPLE_SOUNDS_DIR}/")
set(sample_sounds_archive ${SAMPLE_DATA_DIR}/sounds.vkd)
add_custom_command(
  OUTPUT ${sample_sounds_archive}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${SAMPLE_DATA_DIR}/sounds
  COMMAND datatool pack ${SAMPLE_SOUNDS_DIR} ${sample_sounds_archive}
  DEPENDS datatool ${sample_sound_files}
  COMMENT "Packing data/sounds.vkd"
  VERBATIM)
list(APPEND sample_game_outputs ${sample_sounds_archive})

# The cursor pictures, packed into the archive the program carries.
set(sample_gameres_dir ${SAMPLE_STAGING_DIR}/gameres)
set(sample_gameres_archive ${SAMPLE_STAGING_DIR}/gameres.zip)
add_custom_command(
  OUTPUT ${sample_gameres_archive}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${sample_gameres_dir}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${sample_gameres_dir}
  COMMAND ${CMAKE_COMMAND} -E copy ${SAMPLE_IMAGES_DIR}/cursor.png
          ${SAMPLE_IMAGES_DIR}/cursor_pressed.png ${sample_gameres_dir}
  COMMAND datatool pack ${sample_gameres_dir} ${sample_gameres_archive}
  DEPENDS datatool ${SAMPLE_IMAGES_DIR}/cursor.png ${SAMPLE_IMAGES_DIR}/cursor_pressed.png
  COMMENT "Packing the program's embedded archive GAMERES"
  VERBATIM)

add_custom_target(sample_game ALL DEPENDS ${sample_game_outputs} ${sample_gameres_archive})
add_dependencies(sample_game sample_assets)
add_program_resources(tavelor2 GAMERES ${sample_gameres_archive}
  MAINICON ${SAMPLE_IMAGES_DIR}/icon.png)
add_dependencies(tavelor2 sample_game)
