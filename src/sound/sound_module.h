#pragma once

// What the sound pool, the channels and the music share inside the sound module.

#include <cstdint>

#include "quaven/types.h"

class SoundImplementation;

// The implementation the module loads and plays through; null when it has none.
SoundImplementation* QVI_GetSoundModuleImplementation();

// True while the saved video parameters (those the sound device was set up with) say there
// is no sound: the channel and music members then do nothing. The pool still counts, so a game's references work the same either way.
bool QVI_IsSoundOff();

// The engine clock in milliseconds, through the API table as every other clock reader.
uint32_t QVI_SoundClock();

// Below 0.001 becomes 0 and above 0.999 becomes 1, so that a volume meant to be silent or
// full is exactly that (anything outside 0..1 lands on an end).
float QVI_SnapSoundVolume(float volume);

// True for a sound whose name marks it silent ("!NONE" and every name beginning with '!').
bool QVI_IsSilentSoundName(const char* name);

// A pointer the pool handed out (null is none): anything else a game passes is refused
// before it is read.
bool QVI_IsSoundPoolRecord(const Sound* sound);

// The music's share of the frame's update: fades, the start of pending music and the volume
// the implementation gets.
void QVI_UpdateMusic(float seconds);


// A new implementation plays no music yet: the old track, its fades and the pending one are
// forgotten, so that asking for the same track again starts it instead of sliding a silent
// one. The master volume stays.
void QVI_ForgetMusic();
