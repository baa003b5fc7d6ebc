#pragma once

// Stand-in for the string-command dispatcher until it arrives.

// API member (slot 30): reports once that it is not available and answers null, the answer
// of a command nobody handles ("GetLanguage" then leaves the language as configured).
const char* QV_PlatformCommand(const char* command, const char* argument);
