// Second spelling of wrapperstructs.h, as included by some host headers.
#pragma once
#include "wrapperstructs.h"
