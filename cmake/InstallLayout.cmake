# Where `cmake --install` puts each deliverable, relative to the install prefix.
#
# The libraries, the native messaging host and the render helper share one private folder and
# find each other there ($ORIGIN); nothing else links them. The plug-in sits in the folder that
# Linux browsers scan for NPAPI plug-ins and finds libKVE.so in the private folder beside it
# (see plugin/CMakeLists.txt). Folders named by browsers or by udev are fixed names under lib/,
# not the multiarch library folder.
include(GNUInstallDirs)

set(REMOTE_BRIDGE_PRIVATE_DIR lib/remote-bridge)
set(REMOTE_BRIDGE_PLUGIN_DIR lib/mozilla/plugins)
set(REMOTE_BRIDGE_FIREFOX_HOSTS_DIR lib/mozilla/native-messaging-hosts)
set(REMOTE_BRIDGE_UDEV_RULES_DIR lib/udev/rules.d)
set(REMOTE_BRIDGE_DATA_DIR ${CMAKE_INSTALL_DATADIR}/remote-bridge)
set(REMOTE_BRIDGE_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/remote-bridge)

# The targets that an install copies, so that a package can be built without the tests
# (target "deliverables"). project_install_targets(<destination> <targets...>) installs them
# and records them.
set_property(GLOBAL PROPERTY REMOTE_BRIDGE_DELIVERABLES "")
function(project_install_targets destination)
  install(TARGETS ${ARGN}
    RUNTIME DESTINATION ${destination}
    LIBRARY DESTINATION ${destination}
    NAMELINK_SKIP)
  set_property(GLOBAL APPEND PROPERTY REMOTE_BRIDGE_DELIVERABLES ${ARGN})
endfunction()
