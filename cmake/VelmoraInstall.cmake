# What `cmake --install` puts under the prefix: the two programs (bin), their manual pages
# (share/man/man1), the folder of the national grid files with a README naming them (share/velmora,
# which the program finds beside its bin/ at run time), the static libraries (lib),
# the public headers (include/velmora, the whole folder, so a new header needs no new rule, and the
# generated velmora/version.hpp beside them), the CMake package Velmora (lib/cmake/Velmora) and the
# pkg-config file velmora.pc (lib/pkgconfig).
#
# A consumer writes find_package(Velmora) and links velmora::velmora, or only the parts it needs:
# velmora::common, velmora::geodesy, velmora::gridfile, velmora::deformation, velmora::pipeline,
# velmora::app.

include(CMakePackageConfigHelpers)

set(VELMORA_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Velmora)
set(VELMORA_LIBRARY_PARTS common geodesy gridfile deformation pipeline app)

foreach(part IN LISTS VELMORA_LIBRARY_PARTS)
  set_target_properties(velmora_${part} PROPERTIES EXPORT_NAME ${part})
  add_library(velmora::${part} ALIAS velmora_${part})
endforeach()

# The umbrella: every library, for a consumer that does not pick.
add_library(velmora_library INTERFACE)
set_target_properties(velmora_library PROPERTIES EXPORT_NAME velmora)
target_link_libraries(velmora_library INTERFACE velmora_common velmora_geodesy velmora_gridfile velmora_deformation
  velmora_pipeline velmora_app)
add_library(velmora::velmora ALIAS velmora_library)

install(TARGETS velmora velmora-grid
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Runtime)
install(FILES ${PROJECT_SOURCE_DIR}/man/velmora.1 ${PROJECT_SOURCE_DIR}/man/velmora-grid.1
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT Runtime)
# The program looks for share/velmora beside the folder of its real executable, not for a path
# compiled in: the prefix may change at install time (--prefix) or later (a moved tree).
install(FILES ${PROJECT_SOURCE_DIR}/share/velmora/README
  DESTINATION ${CMAKE_INSTALL_DATADIR}/velmora COMPONENT Runtime)

install(TARGETS velmora_common velmora_geodesy velmora_gridfile velmora_deformation velmora_pipeline velmora_app
  velmora_library
  EXPORT VelmoraTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Development
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Development
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Development)

install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/velmora
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT Development)
install(FILES ${VELMORA_GENERATED_INCLUDE_DIR}/velmora/version.hpp
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/velmora COMPONENT Development)

install(EXPORT VelmoraTargets
  NAMESPACE velmora::
  DESTINATION ${VELMORA_PACKAGE_DIR} COMPONENT Development)

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/VelmoraConfig.cmake.in
  ${PROJECT_BINARY_DIR}/VelmoraConfig.cmake
  INSTALL_DESTINATION ${VELMORA_PACKAGE_DIR})
# Before 1.0 a minor version may change the library's interface: only the same minor version is
# taken as compatible (0.1.x satisfies a request for 0.1, not one for 0.2).
write_basic_package_version_file(${PROJECT_BINARY_DIR}/VelmoraConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/VelmoraConfig.cmake ${PROJECT_BINARY_DIR}/VelmoraConfigVersion.cmake
  DESTINATION ${VELMORA_PACKAGE_DIR} COMPONENT Development)

# pkg-config: the prefix is found from where the file lies, so that `cmake --install --prefix`
# may choose another prefix than the one configured. Absolute install folders are written as they are.
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}" OR IS_ABSOLUTE "${CMAKE_INSTALL_INCLUDEDIR}")
  set(VELMORA_PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
else()
  file(RELATIVE_PATH VELMORA_PC_UP "/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/")
  string(REGEX REPLACE "/$" "" VELMORA_PC_UP "${VELMORA_PC_UP}")
  set(VELMORA_PC_PREFIX "\${pcfiledir}/${VELMORA_PC_UP}")
endif()
set(VELMORA_PC_LIBDIR "${CMAKE_INSTALL_LIBDIR}")
set(VELMORA_PC_INCLUDEDIR "${CMAKE_INSTALL_INCLUDEDIR}")
foreach(dir IN ITEMS VELMORA_PC_LIBDIR VELMORA_PC_INCLUDEDIR)
  if(NOT IS_ABSOLUTE "${${dir}}")
    set(${dir} "\${prefix}/${${dir}}")
  endif()
endforeach()
# The grid library's GeoTIFF support links libtiff, which a consumer of the static libraries links too.
set(VELMORA_PC_TIFF_LIBS "")
if(VELMORA_HAVE_LIBTIFF)
  set(VELMORA_PC_TIFF_LIBS " -ltiff")
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/velmora.pc.in ${PROJECT_BINARY_DIR}/velmora.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/velmora.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT Development)
