# cmake -DNPM=<npm> -DVERSION=<v> -DDEST=<folder> -DSTAMP=<file> -P FetchRuffle.cmake
# Packs @ruffle-rs/ruffle@VERSION with npm and unpacks it into DEST. Never fails the build:
# a failure leaves DEST without ruffle.js and says so.

function(ruffle_note text)
  message(WARNING "Ruffle not installed: ${text}. Flash pictures will show a note instead.")
endfunction()

if(EXISTS ${DEST}/ruffle.js AND EXISTS ${DEST}/package.json)
  file(READ ${DEST}/package.json _pkg)
  if(_pkg MATCHES "\"version\":\"${VERSION}\"")
    file(TOUCH ${STAMP})
    return()
  endif()
endif()
if(NOT NPM)
  ruffle_note("npm not found")
  # No stamp: once npm is there, the next build fetches the player.
  return()
endif()

set(_work ${DEST}.download)
file(REMOVE_RECURSE ${_work})
file(MAKE_DIRECTORY ${_work})
execute_process(
  COMMAND ${NPM} pack --silent @ruffle-rs/ruffle@${VERSION}
  WORKING_DIRECTORY ${_work}
  RESULT_VARIABLE _rc OUTPUT_VARIABLE _out ERROR_VARIABLE _err
  TIMEOUT 120)
file(GLOB _tgz ${_work}/*.tgz)
if(NOT _rc EQUAL 0 OR NOT _tgz)
  ruffle_note("npm pack failed (${_rc}): ${_err}")
  file(REMOVE_RECURSE ${_work})
  # No stamp: the next build tries again.
  return()
endif()
file(ARCHIVE_EXTRACT INPUT ${_tgz} DESTINATION ${_work})
if(NOT EXISTS ${_work}/package/ruffle.js)
  ruffle_note("the package holds no ruffle.js")
  file(REMOVE_RECURSE ${_work})
  return()
endif()
file(REMOVE_RECURSE ${DEST})
file(RENAME ${_work}/package ${DEST})
# Source maps are of no use to the program.
file(GLOB _maps ${DEST}/*.map)
if(_maps)
  file(REMOVE ${_maps})
endif()
file(REMOVE_RECURSE ${_work})
file(TOUCH ${STAMP})
