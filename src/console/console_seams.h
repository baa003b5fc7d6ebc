#pragma once

// Stand-in for the developer console's command registry until the console arrives.

// API member (slot 3): reports once that it is not available.
void QV_AddConsoleCommand(const char* name, const char* description);
