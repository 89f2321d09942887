# Links every entry of the source tree's resources folder into the build's
# resources folder, so that resources added later are found without copying.
# Entries the build generates itself (sample/, launch/, themes/) are real folders there.
# Usage: cmake -DSOURCE=<resources> -DDESTINATION=<build resources> -P link-resources.cmake

file(MAKE_DIRECTORY ${DESTINATION})
file(GLOB entries RELATIVE ${SOURCE} ${SOURCE}/*)
foreach(entry IN LISTS entries)
  if(entry STREQUAL "sample" OR entry STREQUAL "launch" OR entry STREQUAL "themes")
    continue()
  endif()
  set(link ${DESTINATION}/${entry})
  if(IS_SYMLINK ${link})
    continue()
  endif()
  if(EXISTS ${link})
    message(FATAL_ERROR "link-resources: ${link} is in the way of a link to ${SOURCE}/${entry}")
  endif()
  file(CREATE_LINK ${SOURCE}/${entry} ${link} SYMBOLIC)
endforeach()
# Links whose source entry has gone would hide nothing but confuse a reader.
file(GLOB linked RELATIVE ${DESTINATION} ${DESTINATION}/*)
foreach(entry IN LISTS linked)
  if(IS_SYMLINK ${DESTINATION}/${entry} AND NOT EXISTS ${SOURCE}/${entry})
    file(REMOVE ${DESTINATION}/${entry})
  endif()
endforeach()
