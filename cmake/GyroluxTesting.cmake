# gyrolux_add_gui_test(NAME test TARGET executable [OFFSCREEN] [LIFETIME] [TIMEOUT seconds]
#                       [SCREEN WxHxD] [ARGS argument...] [ENV NAME=VALUE...])
#
# Registers a Qt test of the application. The 3-D view needs an X server
# with OpenGL (Qt's offscreen platform cannot host it), so by default the
# test runs under Xvfb with Mesa's software GL; OFFSCREEN is for tests that
# draw nothing. Every test gets a HOME and config directory of its own, so
# the user's settings and texture directory are never touched and tests
# running side by side do not share settings.
find_program(XVFB_RUN xvfb-run)

function(gyrolux_add_gui_test)
    cmake_parse_arguments(ARG "OFFSCREEN;LIFETIME" "NAME;TARGET;TIMEOUT;SCREEN" "ARGS;ENV" ${ARGN})
    if(NOT ARG_SCREEN)
        set(ARG_SCREEN 1280x1024x24)
    endif()
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    set(home ${CMAKE_CURRENT_BINARY_DIR}/home/${ARG_NAME})
    set(env "")
    foreach(variable ${ARG_ENV})
        string(APPEND env ";${variable}")
    endforeach()
    file(MAKE_DIRECTORY ${home}/.config)
    if(ARG_OFFSCREEN)
        add_test(NAME ${ARG_NAME} COMMAND $<TARGET_FILE:${ARG_TARGET}> ${ARG_ARGS})
        set(platform offscreen)
    else()
        if(NOT XVFB_RUN)
            message(FATAL_ERROR "xvfb-run is needed for the GUI tests (scripts/install-deps installs it)")
        endif()
        add_test(NAME ${ARG_NAME}
                 COMMAND ${XVFB_RUN} -a -s "-screen 0 ${ARG_SCREEN}" $<TARGET_FILE:${ARG_TARGET}>
                         ${ARG_ARGS})
        set(platform xcb)
    endif()
    set_tests_properties(${ARG_NAME} PROPERTIES
        ENVIRONMENT "HOME=${home};XDG_CONFIG_HOME=${home}/.config;QT_QPA_PLATFORM=${platform};COIN_TEX2_ANISOTROPIC_LIMIT=1.0${env}"
        TIMEOUT ${ARG_TIMEOUT})
    # The sanitizer pass runs the window tests that open, close and reopen
    # files (label "lifetime"), not every window test a second time.
    set(labels gui)
    if(ARG_LIFETIME)
        list(APPEND labels lifetime)
    endif()
    set_tests_properties(${ARG_NAME} PROPERTIES LABELS "${labels}")
endfunction()
