// The class identifier of the Windows 11 first-level menu command. TorvanExt
// serves the class under it and the sparse package's manifest names it
// (the build reads the text below), so the two can never disagree.
#pragma once

#define TORVANCOMMAND_CLSID_TEXT "{050EE504-565A-4679-A5A7-0FCE3F37A8DC}"
