#pragma once

// The UGC sub-table's members Call1 and Call8: every argument word the game pushed goes on,
// unchanged, to the UGC implementation's slot 6 or 13; nothing happens without a UGC service.
extern "C" void QVI_UgcCall1(...);
extern "C" void QVI_UgcCall8(...);
