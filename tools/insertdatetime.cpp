#include "tools/insertdatetime.h"

HWND InsertDateTimeDialog = nullptr;
