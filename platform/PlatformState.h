// PlatformState: every piece of process state the platform layer keeps, in one structure grouped
// by concern and reached through ThePlatform() alone, so that what the platform remembers
// between calls can be read in one place. Each platform file works on its own group. Not for
// use outside platform/; the design's own globals (MainWindow, LastError) stay where they are.
#pragma once

#include <SDL.h>
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <csignal>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/MessageBox.h"
#include "platform/MixerLibrary.h"
#include "platform/MonotonicCounter.h"
#include "platform/SdlMessageSource.h"
#include "platform/Sound.h"
#include "platform/Window.h"

struct ChunkDeleter {
  void operator()(Mix_Chunk* chunk) const { Mixer().FreeChunk(chunk); }
};
using ChunkPtr = std::unique_ptr<Mix_Chunk, ChunkDeleter>;

struct PlatformState {
  // The video system (Platform.cpp).
  struct Video {
    bool up = false;             // SDL's video subsystem is initialised
    bool noDisplaySaid = false;  // why nothing can be shown was said, once for the process
  };

  // The top-level windows (WindowList.cpp).
  struct Windows {
    std::vector<std::unique_ptr<Window>> list;  // owned, in the order they were made
  };

  // The message queue and the quit message (Platform.cpp).
  struct Queue {
    MessageSource* replaced = nullptr;  // a test's source; null for SDL's
    // SDL's source, made at the queue's first use: making it sets the timer slack of the
    // thread that makes it, which every thread started from that one afterwards inherits.
    std::optional<SdlMessageSource> sdl;
    bool quitPosted = false;     // WM_QUIT waits to be taken, before anything else queued
    int32_t quitCode = 0;        // its exit code
    bool stopDelivered = false;  // a stop signal's WM_CLOSE went to the play window
  };

  // The high-resolution counter (Platform.cpp).
  struct Time {
    MonotonicCounter real;     // the system's monotonic clock
    Counter* current = &real;  // the counter in use: the real one or a test's
  };

  // The stop signals (StopSignals.cpp).
  struct Stop {
    // Written by the signal handler. A volatile sig_atomic_t in an object of static storage
    // duration is what a handler may write and stay async-signal-safe; the handler is installed
    // after this state is made, so its call of ThePlatform() makes nothing.
    volatile sig_atomic_t requested = 0;
    int pipe[2] = {-1, -1};  // the self-pipe: the handler writes to [1], waits watch [0]
    std::vector<std::function<void()>> scopes;  // the live StopScopes' closes, innermost last
  };

  // Message boxes (MessageBox.cpp).
  struct MessageBoxes {
    MessageBoxHandler handler;  // a test's capture; empty for the native box
    uint64_t shown = 0;         // boxes shown so far
    std::string last;           // the text of the last one
    bool echo = true;           // each box's text also goes to standard error
  };

  // The warning sound (Sound.cpp).
  struct Sound {
    // What ShutdownSound resets.
    struct Device {
      // Opens the device and loads the first sound, joined before any other use; an SDL
      // thread, so that SDL frees what it keeps for the thread.
      SDL_Thread* opener = nullptr;
      std::string firstSound;  // the path the opener loads
      bool tried = false;      // opening was tried; it is tried once
      bool open = false;       // the device is open
      // Loaded sounds by path; a path that failed to load is not kept, so it is tried again.
      std::map<std::string, ChunkPtr> chunks;
      std::set<std::string> refusalsSaid;  // each refusal is said once, however often asked
    };
    Device device;
    SoundHandler handler;                        // a test's recorder; empty for playback
    SDL_LogOutputFunction defaultLog = nullptr;  // SDL's log output before audio was filtered
    void* defaultLogData = nullptr;              // and its data
    bool quieted = false;                        // ALSA and SDL's audio messages are silenced
  };

  // GTK and the program icon (Gtk.cpp, ProgramIcon.cpp).
  struct Gtk {
    bool tried = false;         // GTK's start was tried; it is tried once
    bool up = false;            // GTK opened the display
    bool iconDecoded = false;   // the icon was decoded; it is decoded once
    GdkPixbuf* icon = nullptr;  // kept for the life of the process; null when unreadable
  };

  Video video;
  Windows windows;
  Queue queue;
  Time time;
  Stop stop;
  MessageBoxes boxes;
  Sound sound;
  Gtk gtk;

  PlatformState() = default;
  PlatformState(const PlatformState&) = delete;
  PlatformState& operator=(const PlatformState&) = delete;
};

// The one platform state, made at its first use and kept until the process ends.
PlatformState& ThePlatform();
