#pragma once

// The developer console's command registry.

// API member (slot 3).
void QV_AddConsoleCommand(const char* name, const char* description);
