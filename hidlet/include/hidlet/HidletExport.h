#ifndef QUORVEX_HIDLET_EXPORT_H
#define QUORVEX_HIDLET_EXPORT_H

// Marks what libHidlet exports; everything else in the library stays internal.
#define HIDLET_API __attribute__((visibility("default")))

#endif
