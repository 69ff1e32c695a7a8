#include "prefs/settingsdialog.h"

HWND SettingsDialog = nullptr;
