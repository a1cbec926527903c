# What `cmake --install` puts where: the library with its soname, the four
# engine libraries and their core beside it, the public header, the shipped
# voices, and the files other builds find the library with (a CMake package,
# Orven::ORVEN_M, and a pkg-config file, orven.pc). The tool, its manual page
# and completion are installed from tools/.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set_target_properties(ORVEN_M PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
# Installed, the library finds the engine libraries beside it.
set_target_properties(ORVEN_M KORSYN ENGSYN CHISYN JAPSYN SYNCORE PROPERTIES INSTALL_RPATH "$ORIGIN")

# The engine libraries are in the export set only because the library links
# them; applications use Orven::ORVEN_M.
install(TARGETS ORVEN_M KORSYN ENGSYN CHISYN JAPSYN SYNCORE EXPORT OrvenTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${PROJECT_SOURCE_DIR}/include/orven_api.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/voices/ DESTINATION ${CMAKE_INSTALL_DATADIR}/orven/voices)

set(ORVEN_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Orven)
install(EXPORT OrvenTargets NAMESPACE Orven:: DESTINATION ${ORVEN_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/OrvenConfig.cmake.in
  ${CMAKE_BINARY_DIR}/OrvenConfig.cmake INSTALL_DESTINATION ${ORVEN_CMAKE_DIR} PATH_VARS CMAKE_INSTALL_DATADIR)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/OrvenConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/OrvenConfig.cmake ${CMAKE_BINARY_DIR}/OrvenConfigVersion.cmake
  DESTINATION ${ORVEN_CMAKE_DIR})

# The .pc file finds its prefix from where it lies, so the tree can move.
file(RELATIVE_PATH ORVEN_PC_TO_PREFIX "/prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/prefix")
configure_file(${PROJECT_SOURCE_DIR}/cmake/orven.pc.in ${CMAKE_BINARY_DIR}/orven.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/orven.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
