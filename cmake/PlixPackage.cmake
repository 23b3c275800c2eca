# The distribution zip: plix6.p, the user guide and the example scenes, made
# by CPack from the install component "module" only.
#
#   cmake --build build-win --target package      -> build-win/plix6-<version>-win64.zip
#
# On Linux the same target makes plix6-<version>-linux-x86_64.zip with the
# shared-object build of the module.

set(PLIX_PACKAGE_COMPONENT module)

install(TARGETS plix6
  LIBRARY DESTINATION . COMPONENT ${PLIX_PACKAGE_COMPONENT}
  RUNTIME DESTINATION . COMPONENT ${PLIX_PACKAGE_COMPONENT})

# The guide is read on Windows with whatever text viewer is at hand.
if(WIN32)
  set(PLIX_GUIDE_NEWLINES CRLF)
else()
  set(PLIX_GUIDE_NEWLINES UNIX)
endif()
configure_file(${PROJECT_SOURCE_DIR}/docs/user-guide.txt ${CMAKE_BINARY_DIR}/package/USER-GUIDE.txt
  @ONLY NEWLINE_STYLE ${PLIX_GUIDE_NEWLINES})
install(FILES ${CMAKE_BINARY_DIR}/package/USER-GUIDE.txt
  DESTINATION . COMPONENT ${PLIX_PACKAGE_COMPONENT})

# Example scenes and the meshes they name, as they are in the source tree.
if(IS_DIRECTORY ${PROJECT_SOURCE_DIR}/examples)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/
    DESTINATION examples COMPONENT ${PLIX_PACKAGE_COMPONENT}
    PATTERN "*.md" EXCLUDE)
endif()

if(WIN32)
  set(PLIX_PACKAGE_SYSTEM win64)
else()
  set(PLIX_PACKAGE_SYSTEM ${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR})
  string(TOLOWER ${PLIX_PACKAGE_SYSTEM} PLIX_PACKAGE_SYSTEM)
endif()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME plix6)
set(CPACK_PACKAGE_VENDOR "plix6")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Spark displacement effect for the animation host")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME plix6-${PROJECT_VERSION}-${PLIX_PACKAGE_SYSTEM})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
# Only the module component: the sandbox and the tests are not shipped.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};${PLIX_PACKAGE_COMPONENT};/")
include(CPack)
