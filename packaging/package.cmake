# The Debian package: the program and its shipped data folder under /usr/lib/hoedeck, started
# as /usr/bin/hoedeck, with a desktop entry, an icon and the manual. The marker file tells the
# installed program to keep its data in the user's own folder, seeded from /usr/lib/hoedeck.
set(HOEDECK_LIB_DIR lib/hoedeck)
install(TARGETS hoedeck RUNTIME DESTINATION ${HOEDECK_LIB_DIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/ DESTINATION ${HOEDECK_LIB_DIR}
        PATTERN ".keep" EXCLUDE)
install(DIRECTORY ${HOEDECK_PROGRAM_DIR}/mp3s/ DESTINATION ${HOEDECK_LIB_DIR}/mp3s
        FILES_MATCHING PATTERN "Demo *.mp3")
install(FILES ${HOEDECK_PROGRAM_DIR}/alarm.wav ${HOEDECK_PROGRAM_DIR}/chaching.wav
        DESTINATION ${HOEDECK_LIB_DIR})
file(WRITE ${CMAKE_BINARY_DIR}/packaging/hoedeck.installed
     "Installed by the Hoedeck package: the data folder is ~/.local/share/Hoedeck.\n")
install(FILES ${CMAKE_BINARY_DIR}/packaging/hoedeck.installed DESTINATION ${HOEDECK_LIB_DIR})
file(CREATE_LINK ../lib/hoedeck/hoedeck ${CMAKE_BINARY_DIR}/packaging/hoedeck SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/packaging/hoedeck DESTINATION bin)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/hoedeck.desktop DESTINATION share/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/hoedeck.svg
        DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/data/manual/manual.html DESTINATION share/doc/hoedeck)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME hoedeck)
set(CPACK_PACKAGE_VENDOR "Hoedeck")
set(CPACK_PACKAGE_CONTACT "Hoedeck developers <hoedeck@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Music player and workbench for square-dance callers")
set(CPACK_PACKAGE_INSTALL_DIRECTORY /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Programs it starts: the MP3 encoder for recordings, the RTF converter for cue sheets.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "lame, unrtf")
set(CPACK_STRIP_FILES ON)
include(CPack)
