// TorvanExt's version, as the version resource shows it.
#pragma once

#define TORVANEXT_VERSION 1, 0, 0, 19
#define TORVANEXT_VERSION_TEXT "1, 0, 0, 19"
