// Which browsers take their own reference on the scriptable object they are handed.
#ifndef DEVICE_PLUGIN_USERAGENTRULE_H
#define DEVICE_PLUGIN_USERAGENTRULE_H

namespace device_plugin {

// WebKit builds before 420 retain the object themselves, so the plug-in must not add a reference for
// them: true when the user agent names " AppleWebKit/" followed by a version from 1 to 419.
bool browserRetainsScriptableObject(const char* userAgent);

} // namespace device_plugin

#endif
