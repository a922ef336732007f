# `cmake --install BUILD --prefix PREFIX` puts the game where a Linux game keeps it:
#   PREFIX/lib/games/tavelor2/          the program folder: the program with its data, read
#                                       from there (the program finds it beside itself)
#   PREFIX/bin/tavelor2                 the launcher on the PATH: a link to the program
#   PREFIX/share/applications/tavelor2.desktop      the desktop menu's entry
#   PREFIX/share/icons/hicolor/128x128/apps/tavelor2.png   its icon, the window's icon
# The player's files stay in the player's preference folder, as for a game run from the
# build folder; nothing is ever written under PREFIX.

set(GAME_INSTALL_DIR lib/games/tavelor2)
set(GAME_ICON_SIZE 128x128)

# The menu entry's command, checked before anything is copied: "%" doubled, quoted when
# the prefix has blanks; characters the entry would need escaped twice are refused rather
# than written wrong.
install(CODE [[
  set(tavelor2_launcher "${CMAKE_INSTALL_PREFIX}/bin/tavelor2")
  if(tavelor2_launcher MATCHES "[\"`$\\]")
    message(FATAL_ERROR "the prefix ${CMAKE_INSTALL_PREFIX} has a character the menu's entry cannot name")
  endif()
  string(REPLACE "%" "%%" tavelor2_launcher "${tavelor2_launcher}")
  if(tavelor2_launcher MATCHES "[ \t]")
    set(tavelor2_launcher "\"${tavelor2_launcher}\"")
  endif()
]])

install(TARGETS tavelor2 RUNTIME DESTINATION ${GAME_INSTALL_DIR})
install(DIRECTORY ${PROJECT_BINARY_DIR}/game/data ${PROJECT_BINARY_DIR}/game/lang
        DESTINATION ${GAME_INSTALL_DIR})
install(FILES ${PROJECT_BINARY_DIR}/game/highscores.dat DESTINATION ${GAME_INSTALL_DIR})
install(FILES ${SAMPLE_IMAGES_DIR}/icon.png DESTINATION share/icons/hicolor/${GAME_ICON_SIZE}/apps
        RENAME tavelor2.png)

# Made at install time, when the prefix is known: the link is relative, so the installed
# tree may move; the menu's entry names the launcher by its full path, so the game starts
# from the menu whether or not PREFIX/bin is on the PATH of the desktop session.
install(CODE [[
  set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
  file(MAKE_DIRECTORY "${root}/bin")
  file(REMOVE "${root}/bin/tavelor2")
  file(CREATE_LINK ../lib/games/tavelor2/tavelor2 "${root}/bin/tavelor2" SYMBOLIC)
  message(STATUS "Installing: ${root}/bin/tavelor2")
  file(MAKE_DIRECTORY "${root}/share/applications")
  file(WRITE "${root}/share/applications/tavelor2.desktop" "[Desktop Entry]
Type=Application
Name=The Saltmarrow Diary
GenericName=Hidden-object adventure
Comment=Find what is hidden and match the people of Saltmarrow Quay
Exec=${tavelor2_launcher}
Icon=tavelor2
Terminal=false
Categories=Game;AdventureGame;
StartupWMClass=tavelor2
")
  message(STATUS "Installing: ${root}/share/applications/tavelor2.desktop")
]])
