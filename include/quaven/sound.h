/*
 * Quaven public interface: sounds and music (API members GetSound to
 * SlideMusicVolume).
 *
 * Sounds are named without extension (".wav", ".ogg" and ".mp3" are tried in
 * that order) and counted by reference; a sound released to zero keeps its name
 * and is loaded again when asked for. Playing returns a channel id; id 0 names no
 * channel, and every member given 0 does nothing. Volumes run from 0 to 1, pans
 * from -1 (left) to 1 (right), pitch is a rate factor (1 is normal). One music
 * track plays beside the channels and always loops. With sound off (the
 * no_sound video parameter) sounds are still found and counted as above, but
 * nothing is loaded or heard: playing answers 0.
 * Call these members from the main thread, or while holding LockMainLoop.
 */
#ifndef QUAVEN_SOUND_H
#define QUAVEN_SOUND_H

#include "quaven/base.h"

QUAVEN_EXTERN_C_BEGIN

/* Flags of GetSoundEx. */
enum {
    QV_SOUND_LOAD = 4,        /* load the sound's data now (what GetSound does) */
    QV_SOUND_LOOKUP_ONLY = 16 /* return an existing sound; create, load or count nothing */
};

/* The arguments of PlaySoundEx, passed by value. */
typedef struct SoundPlayParameters {
    float volume;
    float pan;
    float pitch;
    uint8_t loop;  /* 1 loops until stopped */
    uint8_t padding13[3];
    float delay;   /* seconds before the sound starts; at most 15 */
} SoundPlayParameters;

QUAVEN_ASSERT_SIZE(SoundPlayParameters, 20);
QUAVEN_ASSERT_OFFSET(SoundPlayParameters, volume, 0);
QUAVEN_ASSERT_OFFSET(SoundPlayParameters, pan, 4);
QUAVEN_ASSERT_OFFSET(SoundPlayParameters, pitch, 8);
QUAVEN_ASSERT_OFFSET(SoundPlayParameters, loop, 12);
QUAVEN_ASSERT_OFFSET(SoundPlayParameters, delay, 16);

QUAVEN_EXTERN_C_END

#endif /* QUAVEN_SOUND_H */
