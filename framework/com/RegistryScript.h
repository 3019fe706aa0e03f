// The registrar's script language, read into a tree of keys. A server keeps
// its registry layout as a script resource rather than as code:
//
//   HKCR
//   {
//       NoRemove CLSID
//       {
//           ForceRemove %CLSID% = s 'Some Class'
//           {
//               InprocServer32 = s '%MODULE%'
//               {
//                   val ThreadingModel = s 'Apartment'
//               }
//           }
//       }
//   }
//
// A key is a bare word or a 'quoted' name, optionally preceded by NoRemove
// (never deleted) or ForceRemove (deleted with everything below it before it
// is written, and as a whole when unregistering); "= s 'text'" gives its
// default value, "val name = s 'text'" a named one, and braces hold its
// subkeys. Inside quotes '' stands for one quote. %NAME% is replaced by the
// caller's value for NAME, %% by one percent sign. Keywords ignore case.
// Only string values: no server needs more.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace torvan {

struct ScriptValue {
    std::string name;
    std::string text;
};

struct ScriptKey {
    std::string name;
    bool noRemove = false;
    bool forceRemove = false;
    bool hasDefault = false;
    std::string defaultText;
    std::vector<ScriptValue> values;
    std::vector<ScriptKey> subkeys;
};

struct ScriptRoot {
    std::string hive;  // the canonical short name: "HKCR", "HKCU", "HKLM", "HKU"
    std::vector<ScriptKey> keys;
};

// Replacement values by name, without the percent signs: {"MODULE", "C:\x.dll"}.
using ScriptReplacements = std::map<std::string, std::string>;

// Reads a whole script. False, with the line and reason in `why`, on any
// syntax it does not know or a replacement name it was not given: a server
// must never register half of what it means to.
bool ParseRegistryScript(const std::string& script, const ScriptReplacements& replacements,
                         std::vector<ScriptRoot>& roots, std::string& why);

}  // namespace torvan
