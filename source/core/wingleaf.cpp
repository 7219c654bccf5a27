// Load and unload of the plug-in object.
#include "core/wingleaf.h"

void wingleaf::onLoad() {}

void wingleaf::onUnload() {}
