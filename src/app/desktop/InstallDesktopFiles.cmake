# Runs at install time, when the final prefix is known: writes the launcher, the desktop entry and
# the installation record, all naming the installed program's folder. Expects TALLIX_DESKTOP_DIR,
# TALLIX_INSTALL_EXE_DIR, TALLIX_INSTALL_BINDIR, TALLIX_INSTALL_DATADIR, TALLIX_INSTALL_SYSCONFDIR,
# TALLIX_PRODUCT_NAME and TALLIX_INTERNAL_NAME.

function(tallix_installed_path result relative)
    if(IS_ABSOLUTE "${relative}")
        set(${result} "${relative}" PARENT_SCOPE)
    else()
        set(${result} "${CMAKE_INSTALL_PREFIX}/${relative}" PARENT_SCOPE)
    endif()
endfunction()

# The configuration folder of the prefix, as GNUInstallDirs places it: /etc for /usr.
if(IS_ABSOLUTE "${TALLIX_INSTALL_SYSCONFDIR}")
    set(sysconf "${TALLIX_INSTALL_SYSCONFDIR}")
elseif(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    set(sysconf "/etc")
else()
    set(sysconf "${CMAKE_INSTALL_PREFIX}/${TALLIX_INSTALL_SYSCONFDIR}")
endif()

tallix_installed_path(exe_dir "${TALLIX_INSTALL_EXE_DIR}")
tallix_installed_path(bin_dir "${TALLIX_INSTALL_BINDIR}")
tallix_installed_path(data_dir "${TALLIX_INSTALL_DATADIR}")
set(TALLIX_INSTALLED_EXE "${exe_dir}/${TALLIX_INTERNAL_NAME}")
set(TALLIX_LAUNCHER "${bin_dir}/${TALLIX_INTERNAL_NAME}")
set(TALLIX_RECORD_ROOT "${sysconf}/xdg")

set(record "$ENV{DESTDIR}${TALLIX_RECORD_ROOT}/kestrow/${TALLIX_INTERNAL_NAME}.ini")
set(launcher "$ENV{DESTDIR}${TALLIX_LAUNCHER}")
set(entry "$ENV{DESTDIR}${data_dir}/applications/${TALLIX_INTERNAL_NAME}.desktop")

message(STATUS "Installing: ${record}")
# The installed program's folder is not the place for its data: with this record the program
# keeps its data in the user's data folder even when it could write beside itself.
file(WRITE "${record}" "AppDir=${exe_dir}\n")
message(STATUS "Installing: ${launcher}")
configure_file("${TALLIX_DESKTOP_DIR}/tallix-launcher.sh.in" "${launcher}" @ONLY)
file(CHMOD "${launcher}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
     GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
message(STATUS "Installing: ${entry}")
configure_file("${TALLIX_DESKTOP_DIR}/tallix.desktop.in" "${entry}" @ONLY)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${record}" "${launcher}" "${entry}")
