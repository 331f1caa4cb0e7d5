# The Windows packages of both programs, per architecture: a portable zip and an NSIS installer
# with a Start-menu entry and an uninstaller. `cpack` in a build directory of the windows or
# windows-x86 preset makes pomuru-cipher-<version>-win64.zip / -win32.zip and the installers.
set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_NAME pomuru-cipher)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0)
if(NOT PROJECT_VERSION_PATCH STREQUAL "")
    set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
endif()
set(CPACK_PACKAGE_VENDOR "${POMURU_AUTHORS}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}: convert a file by a reversible byte rule")
# The installer is a program of the same architecture as the programs it installs.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_SYSTEM_NAME win64)
    set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
    set(nsis_target amd64-unicode)
else()
    set(CPACK_SYSTEM_NAME win32)
    set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES")
    set(nsis_target x86-unicode)
endif()
set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-${CPACK_SYSTEM_NAME})
# The zip unpacks into one folder that holds everything: both programs run from there.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)

set(CPACK_PACKAGE_INSTALL_DIRECTORY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY ${CPACK_PACKAGE_NAME})
set(CPACK_NSIS_PACKAGE_NAME "${PROJECT_DESCRIPTION} ${CPACK_PACKAGE_VERSION}")
set(CPACK_NSIS_DISPLAY_NAME "${PROJECT_DESCRIPTION} ${CPACK_PACKAGE_VERSION}")
# The Start menu gets a folder named after the program, with the program in it.
set(CPACK_PACKAGE_EXECUTABLES pomuru-cipher "${PROJECT_DESCRIPTION}")
# NSIS's single quotes: CPack passes double quotes on unescaped.
set(CPACK_NSIS_DEFINES "!define MUI_STARTMENUPAGE_DEFAULTFOLDER '${PROJECT_DESCRIPTION}'")
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_NSIS_INSTALLED_ICON_NAME pomuru-cipher.exe)
set(CPACK_NSIS_MUI_ICON ${PROJECT_BINARY_DIR}/res/pomuru-cipher.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_BINARY_DIR}/res/pomuru-cipher.ico)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
# Explorer's Send to menu gets the program, if the user leaves that part ticked: an optional
# part of the installer, on the page that lists the parts. Send to is the user's own folder, so
# it is the installing user's, and the uninstaller removes it for the user who runs it.
set(send_to_shortcut "$SENDTO\\${PROJECT_DESCRIPTION}.lnk")
set(send_to_section "Section \"「送る」メニュー\" SendTo
  CreateDirectory \"$SENDTO\"
  CreateShortCut \"${send_to_shortcut}\" \"$INSTDIR\\pomuru-cipher.exe\"
SectionEnd
")
# Through CPackConfig.cmake, which reads the value once more: single quotes, doubled backslash.
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "Delete '$SENDTO\\\\${PROJECT_DESCRIPTION}.lnk'")
# Japanese names need a Unicode installer, which the script must ask for before anything else:
# CPack's own template, with the installer's target first and the Send to part after the
# program's.
file(READ ${CMAKE_ROOT}/Modules/Internal/CPack/NSIS.template.in nsis_template)
string(FIND "${nsis_template}" "\n" first_line_end)
math(EXPR first_line_end "${first_line_end} + 1")
string(SUBSTRING "${nsis_template}" 0 ${first_line_end} first_line)
string(SUBSTRING "${nsis_template}" ${first_line_end} -1 rest)
string(REPLACE "@CPACK_NSIS_PAGE_COMPONENTS@" "!insertmacro MUI_PAGE_COMPONENTS" rest "${rest}")
string(REPLACE "Section \"-Add to path\"" "${send_to_section}\nSection \"-Add to path\"" rest
       "${rest}")
file(WRITE ${PROJECT_BINARY_DIR}/cpack/NSIS.template.in "${first_line}  Target ${nsis_target}\n${rest}")
list(APPEND CMAKE_MODULE_PATH ${PROJECT_BINARY_DIR}/cpack)

install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)

include(CPack)
