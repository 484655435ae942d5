# What an installation holds beside the program itself (the two tools, their manual pages, the
# AppStream metadata), and the Debian package made of an installation below /usr.

set(TALLIX_APPSTREAM_ID "example.kstr.tallix")
set(TALLIX_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)

install(TARGETS tallix-archive tallix-picture RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Manual pages go compressed without a time stamp, so that two builds give the same bytes.
find_program(TALLIX_GZIP gzip REQUIRED)
set(man_pages tallix tallix-archive tallix-picture)
set(compressed_pages)
foreach(page IN LISTS man_pages)
    set(source ${TALLIX_PACKAGING_DIR}/man/${page}.1)
    set(compressed ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
    add_custom_command(OUTPUT ${compressed}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
        COMMAND ${TALLIX_GZIP} -9n -c ${source} > ${compressed}
        DEPENDS ${source}
        COMMENT "Compressing the manual page ${page}(1)")
    list(APPEND compressed_pages ${compressed})
endforeach()
add_custom_target(tallix_man_pages ALL DEPENDS ${compressed_pages})
install(FILES ${compressed_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES ${TALLIX_PACKAGING_DIR}/${TALLIX_APPSTREAM_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The Debian package: built by scripts/package.sh, which configures with the prefix /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${TALLIX_INTERNAL_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR ${TALLIX_COMPANY_NAME})
set(CPACK_PACKAGE_CONTACT "${TALLIX_COMPANY_NAME} <tallix@kstr.example>")
set(CPACK_PACKAGE_HOMEPAGE_URL
    "http://kstr.example/contents/software/information.php?from=${TALLIX_INTERNAL_NAME}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "key in numbers and check them by ear")
file(READ ${TALLIX_PACKAGING_DIR}/description.txt CPACK_DEBIAN_PACKAGE_DESCRIPTION)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Japanese captions need a Japanese font; Qt's own dialogs speak Japanese with its translations.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fonts-noto-cjk | fonts-ipafont-gothic | fonts-vlgothic, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-wayland")
# Installed with DESTDIR, so that the paths written at install time are the final ones.
set(CPACK_SET_DESTDIR ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The installation record is configuration: a local change to it survives an upgrade, and it
# goes only when the package is purged.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${TALLIX_PACKAGING_DIR}/conffiles)

set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/${TALLIX_INTERNAL_NAME})
set(changelog ${CMAKE_BINARY_DIR}/changelog.Debian.gz)
add_custom_command(OUTPUT ${changelog}
    COMMAND ${TALLIX_GZIP} -9n -c ${TALLIX_PACKAGING_DIR}/changelog > ${changelog}
    DEPENDS ${TALLIX_PACKAGING_DIR}/changelog
    COMMENT "Compressing the package's change log")
add_custom_target(tallix_package_changelog ALL DEPENDS ${changelog})
install(FILES ${TALLIX_PACKAGING_DIR}/copyright ${changelog} DESTINATION ${doc_dir})

include(CPack)
