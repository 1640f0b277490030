# The program folder, laid out once every program's target is known (include this after all folders):
# <build>/dist with Monitor.exe, Option.exe, lan.dll, hiddriver.dll, mousectl.exe, VexelOSD.exe, config.ini, config\
# and skins\.
function(korvane_program_folder)
    if(NOT WIN32)
        return()
    endif()
    set(names Monitor Option lan hiddriver mousectl VexelOSD skins)
    set(deps "")
    foreach(t ${names})
        if(TARGET ${t})
            list(APPEND deps ${t})
        endif()
    endforeach()
    set(files Monitor.exe Option.exe lan.dll hiddriver.dll mousectl.exe VexelOSD.exe)
    string(REPLACE ";" "\\;" files_arg "${files}")
    add_custom_target(dist ALL
        COMMAND ${CMAKE_COMMAND} -DBIN=${CMAKE_BINARY_DIR}/bin -DDIST=${CMAKE_BINARY_DIR}/dist
                -DCONFIG=${CMAKE_BINARY_DIR}/monitor/assets/config.ini "-DFILES=${files_arg}"
                -P ${PROJECT_SOURCE_DIR}/cmake/lay_out_folder.cmake
        COMMENT "Laying out the program folder ${CMAKE_BINARY_DIR}/dist")
    add_dependencies(dist monitor_assets ${deps})
endfunction()
korvane_program_folder()
