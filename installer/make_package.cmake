# Makes the installer and the portable zip from a freshly laid-out program folder, so that nothing a run left in the
# build (the virtual mouse's memory and log, profile files) is shipped:
#   cmake -DBIN=<bin> -DCONFIG=<config.ini> -DFILES="a;b" -DTRANSPORT=<real hiddriver.dll> -DDEMO="<dll>;<exe>"
#         -DVERSION=1.2.3 -DICON=<ico> -DMAKENSIS=<makensis> -DSCRIPT=<korvane.nsi> -DLAYOUT=<lay_out_folder.cmake>
#         -DPACKAGE=<work folder> -DSETUP=<setup.exe> [-DZIP=<zip>] -P make_package.cmake
# FILES come from BIN; the transport to the real mouse becomes hiddriver.dll, the virtual mouse and its mousectl.exe
# go into demo\, and README.txt (for the zip; the installer has its own pages) beside them.
set(stage ${PACKAGE}/Korvane-${VERSION})
file(REMOVE_RECURSE ${PACKAGE})
file(MAKE_DIRECTORY ${PACKAGE})

set(DIST ${stage})
include(${LAYOUT})
foreach(f ${FILES})
    if(NOT EXISTS ${stage}/${f})
        message(FATAL_ERROR "The program folder lacks ${f}")
    endif()
endforeach()
foreach(f ${TRANSPORT} ${DEMO})
    if(NOT EXISTS ${f})
        message(FATAL_ERROR "The build lacks ${f}")
    endif()
endforeach()
file(COPY ${TRANSPORT} DESTINATION ${stage})
file(MAKE_DIRECTORY ${stage}/demo)
file(COPY ${DEMO} DESTINATION ${stage}/demo)
configure_file(${CMAKE_CURRENT_LIST_DIR}/README.txt ${stage}/README.txt @ONLY NEWLINE_STYLE CRLF)

# The skin of the toolkit's gallery, a test program that does not ship.
file(GLOB gallery ${stage}/skins/skin_gallery.ini ${stage}/skins/gallery_*.bmp)
file(REMOVE ${gallery})

# What the uninstaller removes: exactly the programs and libraries shipped (skins\ goes whole, the user's
# config.ini and config\ stay unless asked for).
set(list "; Made by make_package.cmake: the files the uninstaller removes.\n")
file(GLOB shipped RELATIVE ${stage} ${stage}/*)
list(SORT shipped)
foreach(f ${shipped})
    if(NOT IS_DIRECTORY ${stage}/${f} AND NOT f STREQUAL "config.ini" AND NOT f STREQUAL "README.txt")
        string(APPEND list "Delete \"$INSTDIR\\${f}\"\n")
    endif()
endforeach()
file(WRITE ${PACKAGE}/installed_files.nsh "${list}")

execute_process(
    COMMAND ${MAKENSIS} -V2 -DVERSION=${VERSION} -DSOURCE=${stage} -DFILE_LIST=${PACKAGE}/installed_files.nsh
            -DICON=${ICON} -DOUTFILE=${SETUP} ${SCRIPT}
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "makensis failed (${result})")
endif()

if(NOT ZIP)
    return()
endif()
file(REMOVE ${ZIP})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip Korvane-${VERSION}
                WORKING_DIRECTORY ${PACKAGE} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "Could not make ${ZIP} (${result})")
endif()
