# The Flash player: Ruffle's web build from npm, unpacked into ${TM_RUFFLE_DIR} (the build
# tree's `ruffle/`, beside the executable, where the program looks for it) and installed
# beside the installed program. Without npm or without the registry the build still
# succeeds; the program then shows its note over a Flash picture instead of the movie.

set(TM_RUFFLE_VERSION "0.6.0" CACHE STRING "Version of the npm package @ruffle-rs/ruffle")
set(TM_RUFFLE_DIR ${CMAKE_BINARY_DIR}/ruffle CACHE INTERNAL "Ruffle's web build")
find_program(TM_NPM npm)

set(_ruffle_stamp ${CMAKE_BINARY_DIR}/ruffle-${TM_RUFFLE_VERSION}.stamp)
add_custom_command(
  OUTPUT ${_ruffle_stamp}
  COMMAND ${CMAKE_COMMAND} -DNPM=${TM_NPM} -DVERSION=${TM_RUFFLE_VERSION}
          -DDEST=${TM_RUFFLE_DIR} -DSTAMP=${_ruffle_stamp}
          -P ${CMAKE_CURRENT_LIST_DIR}/FetchRuffle.cmake
  COMMENT "Fetching Ruffle ${TM_RUFFLE_VERSION} into ${TM_RUFFLE_DIR}"
  VERBATIM)
add_custom_target(ruffle_player ALL DEPENDS ${_ruffle_stamp})

# The release package puts the player beside the program: <program dir>/ruffle/.
set(TM_PROGRAM_INSTALL_DIR "bin" CACHE STRING "Where the install step puts the program")
install(DIRECTORY ${TM_RUFFLE_DIR}/ DESTINATION ${TM_PROGRAM_INSTALL_DIR}/ruffle OPTIONAL
        FILES_MATCHING PATTERN "*.js" PATTERN "*.wasm" PATTERN "LICENSE*" PATTERN "package.json")
