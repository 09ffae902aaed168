// Core types of the browser plug-in interface (NPAPI): instance handles, streams, windows, error and
// reason codes, and the variables that browser and plug-in ask each other for.
//
// These declarations follow the published binary interface: field order, sizes and numeric values are
// fixed by it and must not change. Only what a Unix/macOS x86-64 build needs is declared.
#ifndef REMOTE_BRIDGE_NPAPI_NPAPI_H
#define REMOTE_BRIDGE_NPAPI_NPAPI_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define NP_VERSION_MAJOR 0
#define NP_VERSION_MINOR 27

// Browser function-table versions from which a group of functions is present.
#define NPVERS_HAS_STREAMOUTPUT 8
#define NPVERS_HAS_NOTIFICATION 9
#define NPVERS_HAS_LIVECONNECT 9
#define NPVERS_68K_HAS_LIVECONNECT 11
#define NPVERS_HAS_WINDOWLESS 11
#define NPVERS_HAS_XPCONNECT_SCRIPTING 13
#define NPVERS_HAS_NPRUNTIME_SCRIPTING 14
#define NPVERS_HAS_FORM_VALUES 15
#define NPVERS_HAS_POPUPS_ENABLED_STATE 16
#define NPVERS_HAS_RESPONSE_HEADERS 17
#define NPVERS_HAS_NPOBJECT_ENUM 18
#define NPVERS_HAS_PLUGIN_THREAD_ASYNC_CALL 19
#define NPVERS_HAS_ALL_NETWORK_STREAMS 20
#define NPVERS_HAS_URL_AND_AUTH_INFO 21
#define NPVERS_HAS_PRIVATE_MODE 22
#define NPVERS_MACOSX_HAS_COCOA_EVENTS 23
#define NPVERS_HAS_ADVANCED_KEY_HANDLING 25
#define NPVERS_HAS_URL_REDIRECT_HANDLING 26
#define NPVERS_HAS_CLEAR_SITE_DATA 27

typedef unsigned char NPBool;
typedef int16_t NPError;
typedef int16_t NPReason;
typedef char* NPMIMEType;

// One plug-in instance: the plug-in's private data and the browser's.
typedef struct _NPP {
    void* pdata;
    void* ndata;
} NPP_t;
typedef NPP_t* NPP;

typedef struct _NPStream {
    void* pdata;
    void* ndata;
    const char* url;
    uint32_t end;
    uint32_t lastmodified;
    void* notifyData;
    const char* headers;
} NPStream;

typedef struct _NPByteRange {
    int32_t offset;
    uint32_t length;
    struct _NPByteRange* next;
} NPByteRange;

typedef struct _NPSavedData {
    int32_t len;
    void* buf;
} NPSavedData;

typedef struct _NPRect {
    uint16_t top;
    uint16_t left;
    uint16_t bottom;
    uint16_t right;
} NPRect;

typedef struct _NPSize {
    int32_t width;
    int32_t height;
} NPSize;

typedef enum {
    NPFocusNext = 0,
    NPFocusPrevious = 1
} NPFocusDirection;

typedef enum {
    NPWindowTypeWindow = 1,
    NPWindowTypeDrawable
} NPWindowType;

typedef struct _NPWindow {
    void* window;
    int32_t x;
    int32_t y;
    uint32_t width;
    uint32_t height;
    NPRect clipRect;
#if !defined(__APPLE__)
    void* ws_info;
#endif
    NPWindowType type;
} NPWindow;

typedef struct _NPFullPrint {
    NPBool pluginPrinted;
    NPBool printOne;
    void* platformPrint;
} NPFullPrint;

typedef struct _NPEmbedPrint {
    NPWindow window;
    void* platformPrint;
} NPEmbedPrint;

typedef struct _NPPrint {
    uint16_t mode;
    union {
        NPFullPrint fullPrint;
        NPEmbedPrint embedPrint;
    } print;
} NPPrint;

// Platform event and region types are opaque here: the plug-in only passes them through.
typedef void* NPRegion;
typedef void NPMenu;

typedef enum {
    NPCoordinateSpacePlugin = 1,
    NPCoordinateSpaceWindow,
    NPCoordinateSpaceFlippedWindow,
    NPCoordinateSpaceScreen,
    NPCoordinateSpaceFlippedScreen
} NPCoordinateSpace;

typedef enum {
    NPImageFormatBGRA32 = 0x1,
    NPImageFormatBGRX32 = 0x2
} NPImageFormat;

typedef struct _NPAsyncSurface {
    uint32_t version;
    NPSize size;
    NPImageFormat format;
    union {
        struct {
            uint32_t stride;
            void* data;
        } bitmap;
    } data;
} NPAsyncSurface;

typedef enum {
    NPNURLVCookie = 501,
    NPNURLVProxy
} NPNURLVariable;

// On Unix a few of the variables below carry this bit on top of their number (the mark of the
// GCC 3 C++ ABI): browsers built that way ask for and answer to these values only.
#define NP_ABI_MASK 0x10000000

// Variables the browser asks a plug-in for (NPP_GetValue) or a plug-in sets (NPN_SetValue).
typedef enum {
    NPPVpluginNameString = 1,
    NPPVpluginDescriptionString = 2,
    NPPVpluginWindowBool = 3,
    NPPVpluginTransparentBool = 4,
    NPPVjavaClass = 5,
    NPPVpluginWindowSize = 6,
    NPPVpluginTimerInterval = 7,
    NPPVpluginScriptableInstance = (10 | NP_ABI_MASK),
    NPPVpluginScriptableIID = 11,
    NPPVjavascriptPushCallerBool = 12,
    NPPVpluginKeepLibraryInMemory = 13,
    NPPVpluginNeedsXEmbed = 14,
    NPPVpluginScriptableNPObject = 15,
    NPPVformValue = 16,
    NPPVpluginUrlRequestsDisplayedBool = 17,
    NPPVpluginWantsAllNetworkStreams = 18,
    NPPVpluginNativeAccessibleAtkPlugId = 19,
    NPPVpluginCancelSrcStream = 20,
    NPPVsupportsAdvancedKeyHandling = 21,
    NPPVpluginUsesDOMForCursorBool = 22,
    NPPVpluginDrawingModel = 1000,
    NPPVpluginEventModel = 1001,
    NPPVpluginCoreAnimationLayer = 1003
} NPPVariable;

// Variables a plug-in asks the browser for (NPN_GetValue) or the browser sets (NPP_SetValue).
typedef enum {
    NPNVxDisplay = 1,
    NPNVxtAppContext = 2,
    NPNVnetscapeWindow = 3,
    NPNVjavascriptEnabledBool = 4,
    NPNVasdEnabledBool = 5,
    NPNVisOfflineBool = 6,
    NPNVserviceManager = (10 | NP_ABI_MASK),
    NPNVDOMElement = (11 | NP_ABI_MASK),
    NPNVDOMWindow = (12 | NP_ABI_MASK),
    NPNVToolkit = (13 | NP_ABI_MASK),
    NPNVSupportsXEmbedBool = 14,
    NPNVWindowNPObject = 15,
    NPNVPluginElementNPObject = 16,
    NPNVSupportsWindowless = 17,
    NPNVprivateModeBool = 18,
    NPNVsupportsAdvancedKeyHandling = 21,
    NPNVdocumentOrigin = 22,
    NPNVpluginDrawingModel = 1000,
    NPNVsupportsQuickDrawBool = 2000,
    NPNVsupportsCoreGraphicsBool = 2001,
    NPNVsupportsOpenGLBool = 2002,
    NPNVsupportsCoreAnimationBool = 2003,
    NPNVsupportsInvalidatingCoreAnimationBool = 2004,
    NPNVsupportsCarbonBool = 3000,
    NPNVsupportsCocoaBool = 3001,
    NPNVsupportsUpdatedCocoaTextInputBool = 3002
} NPNVariable;

// macOS drawing and event models, passed by value in the pointer argument of NPN_SetValue.
typedef enum {
    NPDrawingModelQuickDraw = 0,
    NPDrawingModelCoreGraphics = 1,
    NPDrawingModelOpenGL = 2,
    NPDrawingModelCoreAnimation = 3,
    NPDrawingModelInvalidatingCoreAnimation = 4
} NPDrawingModel;

typedef enum {
    NPEventModelCarbon = 0,
    NPEventModelCocoa = 1
} NPEventModel;

// Instance modes (NPP_New).
#define NP_EMBED 1
#define NP_FULL 2

// Stream types (NPP_NewStream).
#define NP_NORMAL 1
#define NP_SEEK 2
#define NP_ASFILE 3
#define NP_ASFILEONLY 4

#define NP_MAXREADY (((unsigned)(~0) << 1) >> 1)

// Error codes.
#define NPERR_BASE 0
#define NPERR_NO_ERROR (NPERR_BASE + 0)
#define NPERR_GENERIC_ERROR (NPERR_BASE + 1)
#define NPERR_INVALID_INSTANCE_ERROR (NPERR_BASE + 2)
#define NPERR_INVALID_FUNCTABLE_ERROR (NPERR_BASE + 3)
#define NPERR_MODULE_LOAD_FAILED_ERROR (NPERR_BASE + 4)
#define NPERR_OUT_OF_MEMORY_ERROR (NPERR_BASE + 5)
#define NPERR_INVALID_PLUGIN_ERROR (NPERR_BASE + 6)
#define NPERR_INVALID_PLUGIN_DIR_ERROR (NPERR_BASE + 7)
#define NPERR_INCOMPATIBLE_VERSION_ERROR (NPERR_BASE + 8)
#define NPERR_INVALID_PARAM (NPERR_BASE + 9)
#define NPERR_INVALID_URL (NPERR_BASE + 10)
#define NPERR_FILE_NOT_FOUND (NPERR_BASE + 11)
#define NPERR_NO_DATA (NPERR_BASE + 12)
#define NPERR_STREAM_NOT_SEEKABLE (NPERR_BASE + 13)
#define NPERR_TIME_EXPIRED (NPERR_BASE + 14)

// Reasons (stream ends, URL notifications).
#define NPRES_BASE 0
#define NPRES_DONE (NPRES_BASE + 0)
#define NPRES_NETWORK_ERR (NPRES_BASE + 1)
#define NPRES_USER_BREAK (NPRES_BASE + 2)

#ifdef __cplusplus
}
#endif

#endif
