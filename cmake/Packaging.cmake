# The Debian package: CPack's DEB generator over the project's install rules, for a system install
# under /usr. Its dependencies come from the libraries the binaries link (dpkg-shlibdeps); the
# maintainer scripts reload the udev rules. scripts/build-package.sh builds it.

# Every installed target, so that the package needs no test, benchmark or fuzz target built.
get_property(deliverables GLOBAL PROPERTY REMOTE_BRIDGE_DELIVERABLES)
add_custom_target(deliverables)
add_dependencies(deliverables ${deliverables})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME remote-bridge)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Remote Bridge developers <remote-bridge@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "bridge between web pages and USB HID universal remotes")
set(CPACK_PACKAGE_DESCRIPTION "Lets page script list universal remote controls plugged in over USB HID,\n\
send them requests and read their answers: through a browser extension and\n\
its native messaging host in Chromium and Firefox, through an NPAPI plug-in\n\
in browsers that load one, and through the render helper of a desktop shell.\n\
Includes a udev rule that gives the user at the seat access to the remotes,\n\
and tools to list remotes, play virtual ones over uhid and run page scripts\n\
against the plug-in.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
# Install with DESTDIR into the staging folder, so that the prefix seen at install time is /usr
# (the host manifests name the host by it) and the manifest under /etc lands beside the rest.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libKVE.so and libHidlet.so are private to the package: dpkg-shlibdeps finds them here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/lib)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  ${PROJECT_SOURCE_DIR}/packaging/debian/postinst
  ${PROJECT_SOURCE_DIR}/packaging/debian/postrm
  ${PROJECT_SOURCE_DIR}/packaging/debian/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)

include(CPack)
