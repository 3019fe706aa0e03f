// TorvanExt's one COM module, defined beside the exports.
#pragma once

#include "ComModule.h"

extern ComModule g_Module;
