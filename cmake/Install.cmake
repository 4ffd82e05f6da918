# Install layout: the program folder under lib/, launchers on the PATH and the desktop files.
#
#   <prefix>/lib/lexitor-trainer/           the program folder, as the build lays it out in bin/:
#       lexitor-trainer                     the executable
#       liblexitor-sound.so                 the sound player, loaded on the first cue
#       liblexitor-progress.so              the progress window (Qt Charts), loaded when opened
#       dbWords.mdb, sounds/*.wav, HAND-M.CUR
#   <prefix>/bin/lexitor-trainer            relative symlink to the executable above; the program
#                                           finds its folder through /proc/self/exe
#   <prefix>/bin/lexitor-words              the word database builder
#   <prefix>/bin/lexitor-drill              the study drill on standard input and output
#   <prefix>/share/applications/            desktop entry
#   <prefix>/share/metainfo/                AppStream component
#   <prefix>/share/icons/hicolor/NxN/apps/  program icon
#   <prefix>/share/doc/lexitor-trainer/     licence terms
#
# The folder names are literal rather than GNUInstallDirs values: the launcher's relative link
# and the package layout depend on them.
set(LEXITOR_APP_ID example.quenmark.LexitorTrainer)
set(LEXITOR_INSTALL_PROGRAM_DIR lib/lexitor-trainer)

install(TARGETS lexitor-trainer RUNTIME DESTINATION ${LEXITOR_INSTALL_PROGRAM_DIR})
install(TARGETS lexitor-sound lexitor-progress LIBRARY DESTINATION ${LEXITOR_INSTALL_PROGRAM_DIR})
install(FILES ${LEXITOR_PROGRAM_DIR}/dbWords.mdb ${LEXITOR_PROGRAM_DIR}/HAND-M.CUR
        DESTINATION ${LEXITOR_INSTALL_PROGRAM_DIR})
install(FILES ${LEXITOR_PROGRAM_DIR}/sounds/correct.wav ${LEXITOR_PROGRAM_DIR}/sounds/wrong.wav
        DESTINATION ${LEXITOR_INSTALL_PROGRAM_DIR}/sounds)

install(TARGETS lexitor-words lexitor-drill RUNTIME DESTINATION bin)

# file(INSTALL) copies a symbolic link as a link, so the launcher is made once here and
# installed like any other file.
set(launcher ${CMAKE_BINARY_DIR}/dist/lexitor-trainer)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/dist)
file(CREATE_LINK ../${LEXITOR_INSTALL_PROGRAM_DIR}/lexitor-trainer ${launcher} SYMBOLIC)
install(FILES ${launcher} DESTINATION bin)

configure_file(${CMAKE_SOURCE_DIR}/dist/lexitor-trainer.desktop.in
               ${CMAKE_BINARY_DIR}/dist/${LEXITOR_APP_ID}.desktop @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/dist/lexitor-trainer.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/dist/${LEXITOR_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/dist/${LEXITOR_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${CMAKE_BINARY_DIR}/dist/${LEXITOR_APP_ID}.metainfo.xml DESTINATION share/metainfo)

foreach(size 32 48 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/data/icons/lexitor-trainer-${size}.png
          DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME lexitor-trainer.png)
endforeach()

install(FILES ${CMAKE_SOURCE_DIR}/dist/copyright DESTINATION share/doc/lexitor-trainer)
