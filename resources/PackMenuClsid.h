// The class identifier of the context-menu handler. TorvanExt registers the
// class under it and Torvan writes it into the two handler keys, so both
// deliverables take it from here and can never disagree.
#pragma once

#define PACKMENU_CLSID_TEXT "{5E1C0B7A-3D42-4F8E-9A61-2C7B0D4E8F13}"
