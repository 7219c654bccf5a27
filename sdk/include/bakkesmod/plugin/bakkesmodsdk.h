// Plug-in types, notifier permissions, export macros and the API version.
#pragma once
#include "../core/platform_shims.h"

#define BAKKESMOD_PLUGIN_API_VERSION 73

enum PLUGINTYPE {
    PLUGINTYPE_FREEPLAY = 0x01,
    PLUGINTYPE_CUSTOM_TRAINING = 0x02,
    PLUGINTYPE_SPECTATOR = 0x04,
    PLUGINTYPE_BOTAI = 0x08,
    PLUGINTYPE_REPLAY = 0x10,
    PLUGINTYPE_THREADED = 0x20,
    PLUGINTYPE_THREADEDUNLOAD = 0x40
};

enum NOTIFIER_PERMISSION {
    PERMISSION_ALL = 0,
    PERMISSION_MENU = (1 << 0),
    PERMISSION_SOCCAR = (1 << 1),
    PERMISSION_FREEPLAY = (1 << 2),
    PERMISSION_CUSTOM_TRAINING = (1 << 3),
    PERMISSION_ONLINE = (1 << 4),
    PERMISSION_PAUSEMENU_CLOSED = (1 << 5),
    PERMISSION_REPLAY = (1 << 6),
    PERMISSION_OFFLINE = (1 << 7)
};

// The host library (built with _BAKKESMOD) exports the wrappers; a plug-in
// imports them and exports its own entry points.
#if defined(_WIN32)
#if defined(_BAKKESMOD)
#define BAKKESMOD_PLUGIN_EXPORT
#define BAKKESMOD_PLUGIN_IMPORT __declspec(dllexport)
#else
#define BAKKESMOD_PLUGIN_EXPORT __declspec(dllexport)
#define BAKKESMOD_PLUGIN_IMPORT __declspec(dllimport)
#endif
#else
#define BAKKESMOD_PLUGIN_EXPORT __attribute__((visibility("default")))
#define BAKKESMOD_PLUGIN_IMPORT __attribute__((visibility("default")))
#endif
