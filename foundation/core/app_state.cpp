#include "foundation/core/app_state.h"

AppState* g_app = nullptr;
HWND g_mainWindow = nullptr;
