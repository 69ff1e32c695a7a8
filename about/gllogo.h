// The about box's animated logo: the window class glLogoControl, whose windows
// each draw a textured cube over a turning gradient with OpenGL, on a render
// thread of their own that lives exactly as long as the window.
#pragma once
#include <windows.h>

// One per logo window, in its user data. The render thread reads window,
// deviceContext, frameContext and stopEvent, all set before it starts, and
// alone touches renderingContext.
struct glLogoState {
    HWND window;
    HGLRC renderingContext;
    HDC deviceContext;  // the window's own; each finished frame is copied here
    HANDLE stopEvent;   // manual reset; signalled to end the thread
    DWORD threadId;
    HANDLE thread;
    // OpenGL draws into a client-sized DIB section selected into this memory
    // DC: a child window's own OpenGL output does not reach the screen under
    // Wine, while GDI copies do everywhere.
    HDC frameContext;
    HBITMAP frameBitmap;
};

// The animation's angles, carried over from one logo window to the next.
struct LogoAngles {
    float backdrop = 0.0f;
    bool backdropRising = true;
    float cube = 0.0f;
};

// Registers glLogoControl; a second registration fails harmlessly.
void RegisterLogoClass();

// Moves the angles on by one frame: the backdrop swings between 0 and 360
// (each end drawn twice), the cube turns on and wraps past 360.
void AdvanceLogoAngles(LogoAngles& angles);
