# cmake --install: the two shared libraries, the public headers, a CMake package and a pkg-config file.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(ODC_PUBLIC_HEADERS
    include/OrnDanceChamber.h include/OrnDanceChamberExport.h include/OrnDanceChamberTesting.h
    text/CString.h text/Decimal.h text/GuiFormat.h
    param/CKParam.h param/ChamberMessages.h param/ChamberRecords.h param/UserExtraData.h
    gui/GuiValueTypes.h gui/GuiWindow.h gui/GuiWidgets.h gui/GuiCreate.h gui/GuiRuntime.h gui/GuiMarkup.h
    chamber/CGuiDanceChamber.h chamber/ChamberClock.h)
foreach(header ${ODC_PUBLIC_HEADERS})
    get_filename_component(folder ${header} DIRECTORY)
    string(REGEX REPLACE "^include/?" "" folder "${folder}")
    install(FILES ${header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/OrnDanceChamber/${folder})
endforeach()

install(TARGETS OrnDanceProtocol OrnDanceChamber odc_headers odc_dependencies EXPORT OrnDanceChamberTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/OrnDanceChamber)
install(EXPORT OrnDanceChamberTargets NAMESPACE OrnDanceChamber::
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/OrnDanceChamber)

configure_package_config_file(cmake/OrnDanceChamberConfig.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/OrnDanceChamberConfig.cmake
    INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/OrnDanceChamber)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/OrnDanceChamberConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/OrnDanceChamberConfig.cmake
    ${CMAKE_CURRENT_BINARY_DIR}/OrnDanceChamberConfigVersion.cmake
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/OrnDanceChamber)

configure_file(cmake/OrnDanceChamber.pc.in ${CMAKE_CURRENT_BINARY_DIR}/OrnDanceChamber.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/OrnDanceChamber.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
