#pragma once

// The string-command dispatcher.

// API member (slot 30): null is the answer of a command nobody handles ("GetLanguage" then
// leaves the language as configured).
const char* QV_PlatformCommand(const char* command, const char* argument);
