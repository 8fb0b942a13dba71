// Feeds settings file texts to the Settings File Data dialog and applies
// what it lists.
#include <cstddef>
#include <cstdint>
#include <string>

#include "settings/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    tavrin::CSettingsFile dialog("fuzz.txt", text);
    dialog.CheckAll();
    // Applying and listing again gives the same rows: nothing is lost or split.
    tavrin::CSettingsFile again("again.txt", dialog.ApplyText());
    if (again.Rows().size() > dialog.Rows().size()) __builtin_trap();
    tavrin::ReadAppliedValues(dialog.ApplyText());
    return 0;
}
