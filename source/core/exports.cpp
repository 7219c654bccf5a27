// The library's exports: getPlugin, deleteMe and the exports record.
#include "core/wingleaf.h"

BAKKESMOD_PLUGIN(wingleaf, "Wingleaf", "1.0.0", PLUGINTYPE_FREEPLAY)
