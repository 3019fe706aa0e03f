// What the integration, About and help tests share: registry readers,
// stand-ins that record what the shell was asked to open, and the
// registration tool's process, which the tests wait for.
#pragma once

#include <windows.h>

#include <string>

namespace extras {

// The default value of HKEY_CLASSES_ROOT\subKey, or "<missing>".
std::string DefaultValue(const std::string& subKey);
bool KeyExists(const std::string& subKey);
// Writes HKEY_CLASSES_ROOT\subKey's default value.
bool SetDefaultValue(const std::string& subKey, const std::string& value);
// Deletes HKEY_CLASSES_ROOT\subKey and everything under it.
void DeleteTree(const std::string& subKey);

// The system's text for an error code, as the wide API gives it.
std::wstring SystemText(DWORD code);

// Waits until no registration tool (regsvr32) runs any more, answering the
// window it may show with its result. False when one would not end.
bool FinishRegistrationTools();

// Gives the document class of `extension` an open command that writes the
// argument it is given to a record file, and puts everything back after.
class RecordingOpener {
public:
    explicit RecordingOpener(const std::string& extension);
    ~RecordingOpener();
    bool Ready() const { return m_ready; }
    // The lines written so far.
    std::string Record() const;
    // Waits until the record holds `count` complete lines.
    bool WaitForLines(int count) const;

private:
    std::string m_extension;
    std::string m_record;
    std::string m_oldClass;
    bool m_hadClass = false;
    bool m_ready = false;
};

}  // namespace extras
