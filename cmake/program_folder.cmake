# The program folder, laid out once every program's target is known (include this after all folders):
# <build>/dist with Monitor.exe, Option.exe, lan.dll, hiddriver.dll, mousectl.exe, VexelOSD.exe, config.ini, config\
# and skins\.
function(korvane_program_folder)
    if(NOT WIN32)
        return()
    endif()
    set(deps "")
    set(files "")
    foreach(t ${KORVANE_SHIPPED_TARGETS} skins)
        if(TARGET ${t})
            list(APPEND deps ${t})
        endif()
    endforeach()
    foreach(t ${KORVANE_SHIPPED_TARGETS})
        if(TARGET ${t})
            list(APPEND files $<TARGET_FILE_NAME:${t}>)
        endif()
    endforeach()
    string(REPLACE ";" "\\;" files_arg "${files}")
    add_custom_target(dist ALL
        COMMAND ${CMAKE_COMMAND} -DBIN=${CMAKE_BINARY_DIR}/bin -DDIST=${CMAKE_BINARY_DIR}/dist
                -DCONFIG=${CMAKE_BINARY_DIR}/monitor/assets/config.ini "-DFILES=${files_arg}"
                -P ${PROJECT_SOURCE_DIR}/cmake/lay_out_folder.cmake
        COMMENT "Laying out the program folder ${CMAKE_BINARY_DIR}/dist")
    add_dependencies(dist monitor_assets ${deps})
endfunction()
korvane_program_folder()
