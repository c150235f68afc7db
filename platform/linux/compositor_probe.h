// Whether a Wayland compositor is still there, asked after a quit request:
// SDL 2's Wayland support reports a compositor that went away as a request
// to quit, and a player closing the window looks the same.
#pragma once

// Asks the compositor listening at `socketPath` the one question every
// client asks first (the display's `sync`, answered by a `done` event).
// A compositor that is there answers. Its socket taking the connection is
// not enough: one being killed lets go of its clients' connections before
// its listening socket, and a connection made in between is left unanswered
// and then broken. One too busy to answer within a second is taken as there.
bool CompositorAnswers(const char* socketPath);
