# Installation as a desktop program: the executable beside its voice sets, a launcher on the
# command path, the icon in the icon theme, a desktop entry and the installation record.
install(TARGETS tallix RUNTIME DESTINATION ${TALLIX_INSTALL_EXE_DIR})

foreach(size IN LISTS TALLIX_ICON_SIZES)
    install(FILES ${TALLIX_ICON_DIR}/tallix-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${TALLIX_INTERNAL_NAME}.png)
endforeach()
install(FILES ${TALLIX_ICON_DIR}/tallix.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${TALLIX_INTERNAL_NAME}.svg)

install(CODE "
    set(TALLIX_DESKTOP_DIR \"${CMAKE_CURRENT_SOURCE_DIR}/desktop\")
    set(TALLIX_INSTALL_EXE_DIR \"${TALLIX_INSTALL_EXE_DIR}\")
    set(TALLIX_INSTALL_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
    set(TALLIX_INSTALL_DATADIR \"${CMAKE_INSTALL_DATADIR}\")
    set(TALLIX_INSTALL_SYSCONFDIR \"${CMAKE_INSTALL_SYSCONFDIR}\")
    set(TALLIX_PRODUCT_NAME \"${TALLIX_PRODUCT_NAME}\")
    set(TALLIX_INTERNAL_NAME \"${TALLIX_INTERNAL_NAME}\")")
install(SCRIPT desktop/InstallDesktopFiles.cmake)
