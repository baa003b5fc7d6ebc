#pragma once

// How a file is opened: by the first character of the API's mode text ('a', 'r', 'w').
enum FileMode {
    FILE_MODE_APPEND = 0,
    FILE_MODE_READ = 1,
    FILE_MODE_WRITE = 2
};
