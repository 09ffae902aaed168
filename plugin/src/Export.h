// Marks the plug-in's entry points for export: everything else stays internal to the shared object.
#ifndef DEVICE_PLUGIN_EXPORT_H
#define DEVICE_PLUGIN_EXPORT_H

#define DEVICE_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))

#endif
