# What a system installation holds besides the programs (man pages, MIME type, icons, bash
# completion, examples, the package's documents), and the Debian packages made from it, one
# per component of the install: veltra (the programs) and, in a build with the Python module,
# python3-veltra (the module, for the python3 it was built with):
#   cmake -S . -B build/package -DCMAKE_BUILD_TYPE=Release -DVELTRA_BUILD_PYTHON=ON \
#         -DVELTRA_PYTHON_DESTINATION=lib/python3/dist-packages/veltra
#   cmake --build build/package && (cd build/package && cpack -G DEB)
#     ->  veltra_<version>_amd64.deb, python3-veltra_<version>_amd64.deb
# tools/package.sh does both and runs lintian on the results.
include(GNUInstallDirs)

# Man pages: one roff source each under docs/man, installed compressed. gzip -n leaves the
# name and time out, so the same source always makes the same bytes.
set(VELTRA_MAN_PAGES veltra-cli.1)
if(VELTRA_BUILD_GUI)
  list(APPEND VELTRA_MAN_PAGES veltra.1)
endif()
set(VELTRA_MAN_OUTPUTS)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/man)
# gzip FROM > TO, the paths handed over as arguments so that no quoting can break them.
set(VELTRA_GZIP sh -c "gzip -9n -c \"$0\" > \"$1\"")
foreach(page IN LISTS VELTRA_MAN_PAGES)
  set(out ${CMAKE_BINARY_DIR}/man/${page}.gz)
  add_custom_command(OUTPUT ${out}
    COMMAND ${VELTRA_GZIP} ${PROJECT_SOURCE_DIR}/docs/man/${page} ${out}
    DEPENDS ${PROJECT_SOURCE_DIR}/docs/man/${page}
    COMMENT "Compressing the man page ${page}" VERBATIM)
  list(APPEND VELTRA_MAN_OUTPUTS ${out})
endforeach()
add_custom_target(veltra_man ALL DEPENDS ${VELTRA_MAN_OUTPUTS})
install(FILES ${VELTRA_MAN_OUTPUTS} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES ${PROJECT_SOURCE_DIR}/resources/completion/veltra-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

if(VELTRA_BUILD_GUI)
  # Net files open in the application from a file manager: the MIME type (by the extension
  # and by the first line) and the .desktop entry that names it. The scalable icon is
  # installed with the application; the rendered sizes live under resources/icons.
  install(FILES ${PROJECT_SOURCE_DIR}/resources/veltra-mime.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME veltra.xml)
  foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/${size}x${size}/veltra.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
endif()

# The example nets (the man pages and the guide refer to them), the notebook and the Python
# example among them.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/veltra/examples
        FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

# Each package's own documents: the copyright notice and the changelog Debian expects of a
# native package.
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/changelog.in
               ${CMAKE_BINARY_DIR}/debian/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/debian/changelog.gz
  COMMAND ${VELTRA_GZIP} ${CMAKE_BINARY_DIR}/debian/changelog ${CMAKE_BINARY_DIR}/debian/changelog.gz
  DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog VERBATIM)
add_custom_target(veltra_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/copyright ${CMAKE_BINARY_DIR}/debian/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/veltra)
if(TARGET _veltra)
  install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/copyright ${CMAKE_BINARY_DIR}/debian/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/python3-veltra COMPONENT python EXCLUDE_FROM_ALL)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veltra)
# One package per component: everything installed without a component name is the
# application's (CMAKE_INSTALL_DEFAULT_COMPONENT_NAME, set before any install rule).
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL veltra)
set(CPACK_DEBIAN_VELTRA_PACKAGE_NAME veltra)
if(TARGET _veltra)
  list(APPEND CPACK_COMPONENTS_ALL python)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-veltra)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
  # The extension module is built for one Python: it loads in that version alone.
  math(EXPR next "${VELTRA_PYTHON_MINOR} + 1")
  set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS
      "python3 (>= ${VELTRA_PYTHON_MAJOR}.${VELTRA_PYTHON_MINOR}~), python3 (<< ${VELTRA_PYTHON_MAJOR}.${next})")
  set(CPACK_DEBIAN_PYTHON_PACKAGE_RECOMMENDS "veltra (= ${PROJECT_VERSION})")
  set(CPACK_DEBIAN_PYTHON_PACKAGE_SUGGESTS
      "python3-pandas, python3-distributed, python3-matplotlib, python3-nbclient, python3-ipykernel")
  set(CPACK_DEBIAN_PYTHON_DESCRIPTION
      "recurrent neural nets with exact decimal values (Python module)
The Python module veltra builds, reads, runs and saves VELTRA nets, whose
every value is an exact decimal of unbounded length: values come back as
decimal.Decimal and fractions.Fraction, never as floats. It runs one net over
many inputs in local worker processes or on a Dask cluster, gives traces and
sweeps as pandas tables, and shows nets as pictures in Jupyter.

With veltra installed, the pictures are drawn by the application's own code.")
endif()
set(CPACK_PACKAGE_VENDOR "VELTRA developers")
set(CPACK_PACKAGE_CONTACT "VELTRA developers <veltra@example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Directories as Debian wants them whatever the builder's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# CPack indents the lines after the synopsis and turns the empty line into " .".
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "recurrent neural nets with exact decimal values
VELTRA draws, stores and runs discrete-time recurrent neural nets whose every
value is an exact decimal of unbounded length: neurons, biases, inputs,
outputs, modules and weighted synapses, saved as tagged .net text files.

This package holds the desktop application (veltra) and the command-line
tool (veltra-cli), which runs, checks and inspects nets in scripts and batch
runs, and the example nets.")
set(CPACK_DEBIAN_VELTRA_DESCRIPTION "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}")
include(CPack)
