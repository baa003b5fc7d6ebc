#pragma once

// Queues EVENT_ACCOUNTS with value at bytes 8-11 (1 after pairing a gamepad, 0 after
// logging out); any time, also before core initialisation has finished.
void QVI_PostAccountsEvent(int value);
