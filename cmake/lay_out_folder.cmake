# Lays out the program folder: cmake -DBIN=<bin> -DDIST=<dist> -DCONFIG=<config.ini> -DFILES="a;b" -P this
# Programs and libraries are refreshed; config.ini is copied only when the folder has none (it holds the user's
# settings once Monitor has run); config\ is created; skins\ is copied when the build drew it.
file(MAKE_DIRECTORY ${DIST} ${DIST}/config)
foreach(f ${FILES})
    if(EXISTS ${BIN}/${f})
        file(COPY ${BIN}/${f} DESTINATION ${DIST})
    endif()
endforeach()
if(NOT EXISTS ${DIST}/config.ini)
    file(COPY ${CONFIG} DESTINATION ${DIST})
endif()
if(EXISTS ${BIN}/skins)
    file(COPY ${BIN}/skins DESTINATION ${DIST})
endif()
