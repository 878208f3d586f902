# `cmake --install <build> --prefix P` (or `make install PREFIX=P`) lays out:
#   P/lib/tessaly/   the executable and what it loads from beside itself: Info.json,
#                    libtdjson.so, the simulator for --demo, the diagram helper,
#                    the media library (sound, camera, PDF windows)
#   P/bin/tessaly    a link to it; the application resolves the link, so it finds
#                    those files wherever P is
#   P/share/applications/tessaly.desktop and P/share/icons/hicolor/*/apps/tessaly.*
if(APPLE)
  # A macOS build is an application bundle with its own layout.
  return()
endif()
set(tessaly_private_dir lib/tessaly)

install(TARGETS tessaly RUNTIME DESTINATION ${tessaly_private_dir})
install(TARGETS tdjson-sim LIBRARY DESTINATION ${tessaly_private_dir})
install(TARGETS tessaly_media LIBRARY DESTINATION ${tessaly_private_dir})
if(TARGET tessaly-mermaid)
  install(TARGETS tessaly-mermaid RUNTIME DESTINATION ${tessaly_private_dir})
endif()
install(FILES ${CMAKE_BINARY_DIR}/bin/Info.json DESTINATION ${tessaly_private_dir})
if(EXISTS ${TESSALY_TDJSON_PATH})
  install(FILES ${TESSALY_TDJSON_PATH} DESTINATION ${tessaly_private_dir})
  get_filename_component(tdlib_dir ${TESSALY_TDJSON_PATH} DIRECTORY)
  install(FILES ${tdlib_dir}/LICENSE DESTINATION share/doc/tessaly RENAME TDLIB-LICENSE OPTIONAL)
else()
  message(WARNING "TDLib not installed (scripts/install-deps): the installed application runs only the demo")
endif()

install(CODE [[
  set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
  file(MAKE_DIRECTORY "${root}/bin")
  message(STATUS "Installing: ${root}/bin/tessaly")
  file(CREATE_LINK ../lib/tessaly/tessaly "${root}/bin/tessaly" SYMBOLIC)
]])

# The entry names the installed command by its full path, so it starts from a
# prefix that is not on the desktop's search path.
install(CODE "set(tessaly_desktop_template \"${CMAKE_SOURCE_DIR}/src/app/tessaly.desktop.in\")")
install(CODE [[
  set(TESSALY_EXEC "${CMAKE_INSTALL_PREFIX}/bin/tessaly")
  set(entry "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/share/applications/tessaly.desktop")
  message(STATUS "Installing: ${entry}")
  configure_file("${tessaly_desktop_template}" "${entry}" @ONLY)
]])
install(DIRECTORY ${TESSALY_ICON_DIR}/hicolor DESTINATION share/icons)
