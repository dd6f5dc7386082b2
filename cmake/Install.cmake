# The installed tree (bin/, share/velorin/, the menu entry, icons, AppStream
# metadata, manual pages, documentation) and the Debian package built from it
# by `cpack -G DEB` (scripts/package). Included last, when every program
# target is known.
include(GNUInstallDirs)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(VELORIN_DATA_DIR ${CMAKE_INSTALL_DATADIR}/velorin)
set(VELORIN_INSTALL_STAGE ${CMAKE_BINARY_DIR}/install-stage)

# The font is Debian's Liberation Sans: installed as a link to it, not as an
# embedded copy, unless a self-contained tree is asked for.
option(VELORIN_INSTALL_FONT_COPY "Install a copy of the font instead of a link to it" OFF)
if(VELORIN_INSTALL_FONT_COPY)
  install(FILES ${VELORIN_FONT_SOURCE} DESTINATION ${VELORIN_DATA_DIR}/fonts RENAME ArialCyr.ttf)
else()
  file(MAKE_DIRECTORY ${VELORIN_INSTALL_STAGE})
  file(CREATE_LINK ${VELORIN_FONT_SOURCE} ${VELORIN_INSTALL_STAGE}/ArialCyr.ttf SYMBOLIC)
  install(FILES ${VELORIN_INSTALL_STAGE}/ArialCyr.ttf DESTINATION ${VELORIN_DATA_DIR}/fonts)
endif()

install(TARGETS velorin velorin-lab RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
target_link_options(velorin PRIVATE -Wl,-z,relro,-z,now) # relocations read-only from the start
install(FILES ${PICTURES} DESTINATION ${VELORIN_DATA_DIR}/images)
foreach(picture ${TRANSLATED_PICTURES})
  get_filename_component(folder ${picture} DIRECTORY)
  install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/${picture} DESTINATION ${VELORIN_DATA_DIR}/${folder})
endforeach()
foreach(catalogue ${CATALOGUES})
  file(RELATIVE_PATH relative ${CMAKE_BINARY_DIR} ${catalogue})
  get_filename_component(folder ${relative} DIRECTORY)
  install(FILES ${catalogue} DESTINATION ${VELORIN_DATA_DIR}/${folder})
endforeach()

set(data ${CMAKE_CURRENT_SOURCE_DIR}/data)
install(FILES ${data}/velorin.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${data}/velorin.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${data}/velorin.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# Many menus look only in the fixed-size folders.
foreach(size 48 64 128 256)
  install(FILES ${data}/velorin-${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME velorin.png)
endforeach()

# Manual pages and the changelog, compressed as Debian expects (-n: no name
# or time stamp, so the package is reproducible).
find_program(GZIP gzip REQUIRED)
set(pages velorin)
if(TARGET velorin-lab)
  list(APPEND pages velorin-lab)
  target_link_options(velorin-lab PRIVATE -Wl,-z,relro,-z,now)
endif()
set(compressed)
foreach(page ${pages})
  add_custom_command(
    OUTPUT ${VELORIN_INSTALL_STAGE}/${page}.1.gz
    COMMAND ${GZIP} -9n -c ${data}/${page}.1 > ${VELORIN_INSTALL_STAGE}/${page}.1.gz
    DEPENDS ${data}/${page}.1)
  list(APPEND compressed ${VELORIN_INSTALL_STAGE}/${page}.1.gz)
  install(FILES ${VELORIN_INSTALL_STAGE}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_command(
  OUTPUT ${VELORIN_INSTALL_STAGE}/changelog.gz
  COMMAND ${GZIP} -9n -c ${data}/changelog > ${VELORIN_INSTALL_STAGE}/changelog.gz
  DEPENDS ${data}/changelog)
add_custom_target(velorin_install_files ALL DEPENDS ${compressed} ${VELORIN_INSTALL_STAGE}/changelog.gz)
install(FILES ${data}/copyright ${VELORIN_INSTALL_STAGE}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

# cpack -G DEB: velorin_<version>_amd64.deb, installed under /usr.
set(CPACK_PACKAGE_NAME velorin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "velorin maintainers <maintainers@users.noreply.c-seed-e44efdbd.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "lecture demonstration of density fluctuations in a one-dimensional gas")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-liberation2)
set(CPACK_PACKAGE_DESCRIPTION
    "A row of particles moves along one channel between two walls; each
feels its two nearest neighbours through a chosen pair potential (none,
attraction, repulsion or Lennard-Jones), random thermal kicks and friction.
The gaps between neighbours fill a histogram, shown with their mean, their
standard deviation and the ratio of the two, beside a plot of the potential.
.
The program runs full-screen, in Russian, with a mouse, for lectures in
statistical physics.")
include(CPack)
