// The library's exports: getPlugin, deleteMe and the exports record.
#include "core/Version.h"
#include "core/wingleaf.h"

BAKKESMOD_PLUGIN(wingleaf, "Wingleaf", WINGLEAF_VERSION, PLUGINTYPE_FREEPLAY)
