# Debian package: `cpack -G DEB` in the build folder (or `cmake --build <build> --target package`)
# writes lexitor-trainer_<version>_<arch>.deb with the install layout of Install.cmake under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lexitor-trainer)
set(CPACK_PACKAGE_VENDOR Quenmark)
set(CPACK_PACKAGE_CONTACT "Quenmark <support@quenmark.example>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "drill trainer for the short words of the Lexitor word-tile game")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://quenmark.example/lexitor-trainer/)
# The summary line comes from CPACK_PACKAGE_DESCRIPTION_SUMMARY; CPack indents these lines and
# turns the empty one into the " ." paragraph break.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Lexitor Trainer helps players of the Lexitor word-tile board game learn the
legal two-, three- and four-letter words through multiple-choice tests: pick
the valid word among invented non-words, or the non-word among valid words.
Every answer plays a sound; a results window shows the counts, the percentage
and the words answered rightly and wrongly.

The package also holds lexitor-words, which builds the trainer's word
database from any plain word list.")

# Libraries the executables link come from dpkg-shlibdeps. What Qt loads at run time does not show
# up there: the SQLite driver of Qt Sql, the X11 platform plugin, and the fonts that stand in for
# Arial. The sound cues need a PulseAudio-compatible sound server, which is only recommended.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, qt6-qpa-plugins, fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse, xdg-utils")

include(CPack)
