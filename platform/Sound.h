// Sound: a wave file played in the background; the call returns at once. A missing file plays
// nothing; why a file that is there cannot be played is said once on standard error.
#pragma once

#include <functional>
#include <string>

// Start-up opens the audio device and loads the sound in the background, so that the first
// sound plays without a wait; a device that cannot be opened is said once on standard error,
// and the game then plays silently. Without it, the first sound opens the device itself.
void OpenSound(const char* path);

// Plays a sound. A file that could not be loaded before is tried again.
void PlaySoundFile(const char* path);

// Sounds loaded so far are loaded again when next played: their files have been saved anew.
void ForgetSounds();

// Why SDL's decoder cannot read the WAV file at `path`, which passed its header check; empty
// when it can, or when the header check already refuses it. Needs no audio device.
std::string SoundDecodeFailure(const char* path);

// Tests record the sounds instead of playing them; an empty handler restores playback.
using SoundHandler = std::function<void(const std::string& path)>;
void SetSoundHandler(SoundHandler handler);

// Closes the audio device at the end of the program.
void ShutdownSound();
