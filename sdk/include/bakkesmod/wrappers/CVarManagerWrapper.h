// Second spelling of cvarmanagerwrapper.h, as included by some host headers.
#pragma once
#include "cvarmanagerwrapper.h"
