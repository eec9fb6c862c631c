// Whether this platform can give the view an OpenGL context at all. Asked
// once at start-up, before the view surface is made: on a platform without
// OpenGL (e.g. QT_QPA_PLATFORM=offscreen) a GL widget must not even be
// created, so the window gets a blank surface instead and keeps working.
#pragma once

#include <QString>

enum class GlAvailability { kAvailable, kNoContext, kCannotMakeCurrent };

// Creates a throw-away context and makes it current on an offscreen
// surface. Needs the application object.
GlAvailability ProbeOpenGL();

// The message the program shows for a failure: ":-)~ hrc == NULL" when no
// context could be created, "Could not MakeCurrent" when it could not be
// made current, and an empty text when GL is available.
QString GlFailureMessage(GlAvailability availability);
