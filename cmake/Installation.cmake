# Installed layout (prefix /usr for the package):
#   bin/tracemorph                 link to ../lib/tracemorph/tracemorph
#   lib/tracemorph/                the program, the window program, the converter
#   lib/tracemorph/simgraph/       the graph matchers and their properties.xml
#   share/tracemorph/param.dat     the default thresholds
#   share/tracemorph/samples/      a sample drawing
#   share/man/man1/tracemorph.1.gz, the desktop entry and its icon
#   share/doc/tracemorph/          copyright, changelog.gz, manual.md
# The program looks for its helpers beside its own resolved path, as in the
# build tree, so the same lookups serve both; bin/ holds only the link.
set(TM_LIBEXEC lib/tracemorph)

install(TARGETS tracemorph cxconvert RUNTIME DESTINATION ${TM_LIBEXEC})
if(TARGET tracemorph-window)
  install(TARGETS tracemorph-window RUNTIME DESTINATION ${TM_LIBEXEC})
endif()

file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/installation)
file(CREATE_LINK ../${TM_LIBEXEC}/tracemorph ${CMAKE_BINARY_DIR}/installation/tracemorph SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/installation/tracemorph DESTINATION bin)

# The matchers, once their targets exist in this tree.
foreach(apparieur auction greedy gsignature simgraph)
  if(TARGET ${apparieur})
    install(TARGETS ${apparieur} RUNTIME DESTINATION ${TM_LIBEXEC}/simgraph)
  endif()
endforeach()
if(EXISTS ${CMAKE_SOURCE_DIR}/tools/matchers/properties.xml)
  install(FILES ${CMAKE_SOURCE_DIR}/tools/matchers/properties.xml DESTINATION ${TM_LIBEXEC}/simgraph)
endif()

install(FILES ${CMAKE_SOURCE_DIR}/param.dat DESTINATION share/tracemorph)
install(FILES ${CMAKE_SOURCE_DIR}/samples/bath_plan.bmp ${CMAKE_SOURCE_DIR}/samples/rectifier.bmp
              ${CMAKE_SOURCE_DIR}/samples/rectifier.symbols.json DESTINATION share/tracemorph/samples)

# The package's documentation: its copyright and its changelog (a native
# package's, compressed).
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/installation/changelog.gz
  COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/packaging/changelog > ${CMAKE_BINARY_DIR}/installation/changelog.gz
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/changelog VERBATIM)
add_custom_target(changelog_paquet ALL DEPENDS ${CMAKE_BINARY_DIR}/installation/changelog.gz)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/installation/changelog.gz
  DESTINATION share/doc/tracemorph)
# The full manual, which the man page names.
install(FILES ${CMAKE_SOURCE_DIR}/docs/manual.md DESTINATION share/doc/tracemorph)

# Man pages are shipped compressed; -n keeps the archive free of a date.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/installation/tracemorph.1.gz
  COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/packaging/tracemorph.1 > ${CMAKE_BINARY_DIR}/installation/tracemorph.1.gz
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/tracemorph.1 VERBATIM)
add_custom_target(page_man ALL DEPENDS ${CMAKE_BINARY_DIR}/installation/tracemorph.1.gz)
install(FILES ${CMAKE_BINARY_DIR}/installation/tracemorph.1.gz DESTINATION share/man/man1)

if(TARGET tracemorph-window)
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/tracemorph.desktop DESTINATION share/applications)
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/tracemorph.svg DESTINATION share/icons/hicolor/scalable/apps)
endif()

# Debian package: cpack -G DEB in the build directory. The library
# dependencies are read from the binaries by dpkg-shlibdeps (libvips42, the
# Qt 6 libraries, the C++ runtime, ...); the window also needs Qt's platform
# plugins, which no binary links to.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tracemorph)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "analyse scanned line drawings into vectors and a relation graph")
set(CPACK_PACKAGE_DESCRIPTION
  "Tracemorph reads a bi-level scan of a plan, schematic or technical drawing,
follows the contours of its strokes into straight vectors, pairs facing
vectors into quadrilaterals and builds a graph of the spatial relations
between them. It writes the results as text and GXL files, spots symbol
candidates and can compare them with model graphs. It runs from the command
line or in a window.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The address is a placeholder (a reserved domain) until the project has one.
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tracemorph maintainers <tracemorph@example.org>")
# Installed programs carry no debugging symbols (the build tree's do).
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(TARGET tracemorph-window)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
endif()
include(CPack)
