# Copies the editor's pages into the folder that is packed, and gives every
# page the windows load but the project does not have yet a placeholder, so
# that no window reports a missing page.
# usage: cmake -DSOURCE=<pages> -DSTAGE=<folder> -DNAMES=<a,b,...> -P StagePages.cmake
file(REMOVE_RECURSE ${STAGE})
file(COPY ${SOURCE}/ DESTINATION ${STAGE} PATTERN "*.in" EXCLUDE)
string(REPLACE "," ";" NAMES "${NAMES}")
foreach(PAGE_NAME IN LISTS NAMES)
  if(NOT EXISTS ${STAGE}/${PAGE_NAME}.html)
    configure_file(${SOURCE}/placeholder.html.in ${STAGE}/${PAGE_NAME}.html @ONLY)
  endif()
endforeach()
