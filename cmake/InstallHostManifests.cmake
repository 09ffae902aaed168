# Run at install time (from native_host/): writes the native messaging host manifests for
# Chromium and Firefox, naming the installed host, and installs them where each browser looks.
# A system install (prefix /usr) puts Chromium's in /etc, as Chromium reads none from /usr.
# Expects NATIVE_HOST_NAME, NATIVE_HOST_TEMPLATES, NATIVE_HOST_HOST_DIR, NATIVE_HOST_FIREFOX_DIR
# (relative to the prefix) and NATIVE_HOST_WORK_DIR.
set(NATIVE_HOST_PATH "${CMAKE_INSTALL_PREFIX}/${NATIVE_HOST_HOST_DIR}/remote-bridge-host")
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(chromium_dir /etc/chromium/native-messaging-hosts)
else()
  set(chromium_dir "${CMAKE_INSTALL_PREFIX}/etc/chromium/native-messaging-hosts")
endif()
set(firefox_dir "${CMAKE_INSTALL_PREFIX}/${NATIVE_HOST_FIREFOX_DIR}")

foreach(browser chromium firefox)
  set(manifest "${NATIVE_HOST_WORK_DIR}/${browser}/${NATIVE_HOST_NAME}.json")
  configure_file("${NATIVE_HOST_TEMPLATES}/${browser}.json.in" "${manifest}" @ONLY)
  file(INSTALL DESTINATION "${${browser}_dir}" TYPE FILE PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
       FILES "${manifest}")
endforeach()
