#include "about/gllogo.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "platform/guard.h"
#include "platform/systemlibrary.h"
#include "res/resource.h"

namespace {

// OpenGL and GLU are mapped when the first logo is made, not at the program's
// start-up, which never needs them, so their functions are looked up by name.
#define LOGO_GL_FUNCTIONS(X) \
    X(gl, Begin)             \
    X(gl, BindTexture)       \
    X(gl, BlendFunc)         \
    X(gl, Clear)             \
    X(gl, ClearColor)        \
    X(gl, ClearDepth)        \
    X(gl, Color3ub)          \
    X(gl, Color4f)           \
    X(gl, DepthFunc)         \
    X(gl, DepthMask)         \
    X(gl, Disable)           \
    X(gl, Enable)            \
    X(gl, End)               \
    X(gl, Finish)            \
    X(gl, GenTextures)       \
    X(gl, LightModelf)       \
    X(gl, LoadIdentity)      \
    X(gl, MatrixMode)        \
    X(gl, Rotatef)           \
    X(gl, Scalef)            \
    X(gl, TexCoord2f)        \
    X(gl, TexImage2D)        \
    X(gl, TexParameteri)     \
    X(gl, Translatef)        \
    X(gl, Vertex3f)          \
    X(gl, Viewport)          \
    X(wgl, CreateContext)    \
    X(wgl, DeleteContext)    \
    X(wgl, MakeCurrent)      \
    X(glu, Perspective)

#define DECLARE_GL_FUNCTION(prefix, name)     \
    namespace prefix {                        \
    decltype(&::prefix##name) name = nullptr; \
    }
LOGO_GL_FUNCTIONS(DECLARE_GL_FUNCTION)
#undef DECLARE_GL_FUNCTION

// The library each prefix of the table comes from.
const SystemLibrary glLibrary = SystemLibrary::OpenGl;
const SystemLibrary wglLibrary = SystemLibrary::OpenGl;
const SystemLibrary gluLibrary = SystemLibrary::Glu;

// The render threads read it only after their creation, which orders it after
// the binding.
bool GlBound = false;

// Binds every function once per process; false when a library or one of its
// functions is missing. It runs on the user-interface thread before the first
// pixel format is chosen: the system maps OpenGL by its bare name inside
// ChoosePixelFormat unless it is mapped already, and a bare name would find a
// DLL planted beside the program.
bool BindGl()
{
    if (!GlBound) {
        bool found = true;
#define BIND_GL_FUNCTION(prefix, name) \
    found = FindSystemFunction(prefix##Library, #prefix #name, prefix::name) && found;
        LOGO_GL_FUNCTIONS(BIND_GL_FUNCTION)
#undef BIND_GL_FUNCTION
        GlBound = found;
    }
    return GlBound;
}

const wchar_t kLogoClass[] = L"glLogoControl";
const DWORD kTextureSide = 64;
const DWORD kTextureBytes = kTextureSide * kTextureSide * 3;

// Touched by the render thread alone; not reset between showings.
GLuint LogoTexture = 0;
LogoAngles Angles;
float AxisX = 0.0f, AxisY = 0.0f, AxisZ = 0.0f;

void UploadLogoTexture()
{
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(IDR_LOGO_TEXTURE), L"TEXTURE");
    const void* pixels = found ? LockResource(LoadResource(module, found)) : nullptr;
    gl::GenTextures(1, &LogoTexture);
    gl::BindTexture(GL_TEXTURE_2D, LogoTexture);
    // A missing or short resource must not make OpenGL read past its end.
    if (pixels && SizeofResource(module, found) >= kTextureBytes)
        gl::TexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, kTextureSide, kTextureSide, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels);
    gl::TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    gl::TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

void glLogoCreate(int width, int height)
{
    OutputDebugStringW(L"glLogoCreate()\n");
    gl::Enable(GL_BLEND);
    gl::BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    gl::DepthFunc(GL_LEQUAL);
    gl::Enable(GL_TEXTURE_2D);
    UploadLogoTexture();
    gl::Viewport(0, 0, width, height);
    gl::MatrixMode(GL_PROJECTION);
    gl::LoadIdentity();
    double aspect = height > 0 ? static_cast<double>(width) / height : 1.0;
    glu::Perspective(45.0, aspect, 0.1f, 100.0);
    gl::MatrixMode(GL_MODELVIEW);
    gl::LoadIdentity();
    gl::ClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    gl::ClearDepth(1.0);
    gl::Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    gl::LightModelf(GL_LIGHT_MODEL_TWO_SIDE, 1.0f);
}

// Blue at the top fading to almost transparent white: the colour buffer is
// never cleared, so earlier frames show through and the cube leaves trails.
void DrawBackdrop()
{
    gl::LoadIdentity();
    gl::Translatef(0.0f, 0.0f, -10.0f);
    gl::Rotatef(Angles.backdrop, 0.0f, 0.0f, -1.0f);
    gl::Scalef(9.0f, 9.0f, 9.0f);
    gl::Disable(GL_TEXTURE_2D);
    gl::DepthMask(GL_TRUE);
    gl::Begin(GL_QUADS);
    gl::Color3ub(0, 105, 179);
    gl::TexCoord2f(0.0f, 0.0f);
    gl::Vertex3f(-1.0f, 1.0f, 0.0f);
    gl::Color3ub(0, 105, 179);
    gl::TexCoord2f(1.0f, 0.0f);
    gl::Vertex3f(1.0f, 1.0f, 0.0f);
    gl::Color4f(1.0f, 1.0f, 1.0f, 0.08f);
    gl::TexCoord2f(1.0f, 1.0f);
    gl::Vertex3f(1.0f, -1.0f, 0.0f);
    gl::Color4f(1.0f, 1.0f, 1.0f, 0.08f);
    gl::TexCoord2f(0.0f, 1.0f);
    gl::Vertex3f(-1.0f, -1.0f, 0.0f);
    gl::End();
}

struct CubeVertex {
    GLfloat s, t, x, y, z;
};

// Faces z = +1, y = +1, y = -1, z = -1, x = +1, x = -1; t = 0 is a face's top edge.
const CubeVertex kCube[24] = {
    {0, 0, -1, 1, 1},  {1, 0, 1, 1, 1},  {1, 1, 1, -1, 1},  {0, 1, -1, -1, 1},  {0, 0, -1, 1, 1},  {1, 0, -1, 1, -1},
    {1, 1, 1, 1, -1},  {0, 1, 1, 1, 1},  {0, 0, -1, -1, 1}, {1, 0, -1, -1, -1}, {1, 1, 1, -1, -1}, {0, 1, 1, -1, 1},
    {0, 0, -1, 1, -1}, {1, 0, 1, 1, -1}, {1, 1, 1, -1, -1}, {0, 1, -1, -1, -1}, {0, 0, 1, -1, 1},  {1, 0, 1, -1, -1},
    {1, 1, 1, 1, -1},  {0, 1, 1, 1, 1},  {0, 0, -1, -1, 1}, {1, 0, -1, -1, -1}, {1, 1, -1, 1, -1}, {0, 1, -1, 1, 1},
};

void DrawCube()
{
    gl::LoadIdentity();
    gl::Translatef(0.0f, 0.0f, -6.0f);
    AxisX += 0.2f;
    AxisY += 0.9f;
    AxisZ += 0.3f;
    gl::Rotatef(Angles.cube, AxisX, AxisY, AxisZ);
    gl::Scalef(1.3f, 1.3f, 1.3f);
    gl::Enable(GL_TEXTURE_2D);
    gl::BindTexture(GL_TEXTURE_2D, LogoTexture);
    gl::Enable(GL_DEPTH_TEST);
    gl::Color4f(1.0f, 1.0f, 1.0f, 1.0f);
    gl::Begin(GL_QUADS);
    for (const CubeVertex& vertex : kCube) {
        gl::TexCoord2f(vertex.s, vertex.t);
        gl::Vertex3f(vertex.x, vertex.y, vertex.z);
    }
    gl::End();
}

void DrawLogoFrame()
{
    gl::Clear(GL_DEPTH_BUFFER_BIT);
    DrawBackdrop();
    DrawCube();
    AdvanceLogoAngles(Angles);
}

// Draws until the stop event; without OpenGL the window stays black until then.
// Each frame is finished in the DIB section before GDI copies it to the window,
// and the copy is flushed at once: under Wine it otherwise reached the screen
// only when the window's own thread next handled a message, and a modal loop
// waiting for input kept the logo black.
void DrawUntilStopped(const glLogoState& state)
{
    RECT outer, client;
    GetWindowRect(state.window, &outer);
    GetClientRect(state.window, &client);
    glLogoCreate(outer.right - outer.left, outer.bottom - outer.top);
    while (WaitForSingleObject(state.stopEvent, 0) != WAIT_OBJECT_0) {
        Sleep(1);
        DrawLogoFrame();
        gl::Finish();
        BitBlt(state.deviceContext, 0, 0, client.right, client.bottom, state.frameContext, 0, 0, SRCCOPY);
        GdiFlush();
    }
}

DWORD DrawLogo(glLogoState* state)
{
    OutputDebugStringW(L"Starting Thread\n");
    if (GlBound) {
        state->renderingContext = wgl::CreateContext(state->frameContext);
        wgl::MakeCurrent(state->frameContext, state->renderingContext);
        DrawUntilStopped(*state);
        wgl::MakeCurrent(nullptr, nullptr);
        wgl::DeleteContext(state->renderingContext);
    } else {
        WaitForSingleObject(state->stopEvent, INFINITE);
    }
    OutputDebugStringW(L"glLogoDestroy()\n");
    OutputDebugStringW(L"Ending Thread\n");
    return 1;
}

DWORD WINAPI RenderLogo(void* parameter)
{
    return RunGuarded<DWORD>(false, [&] { return DrawLogo(static_cast<glLogoState*>(parameter)); });
}

// The frame is a bottom-up 32-bit DIB the size of the client area: the layout
// OpenGL's bitmap rendering writes on Windows and under Wine, whose rows need
// no padding at any width.
void MakeFrame(glLogoState& state)
{
    RECT client;
    GetClientRect(state.window, &client);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = client.right > 0 ? client.right : 1;
    info.bmiHeader.biHeight = client.bottom > 0 ? client.bottom : 1;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    state.frameContext = CreateCompatibleDC(state.deviceContext);
    state.frameBitmap = CreateDIBSection(state.deviceContext, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    SelectObject(state.frameContext, state.frameBitmap);
}

void SetLogoPixelFormat(HDC frameContext)
{
    static_assert(sizeof(void*) != 4 || sizeof(PIXELFORMATDESCRIPTOR) == 40, "PIXELFORMATDESCRIPTOR must be 40 bytes");
    PIXELFORMATDESCRIPTOR format = {};
    format.nSize = sizeof(format);
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_BITMAP | PFD_SUPPORT_OPENGL | PFD_SUPPORT_GDI;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = 32;
    format.cDepthBits = 16;
    SetPixelFormat(frameContext, ChoosePixelFormat(frameContext, &format), &format);
}

LRESULT CreateLogo(HWND window)
{
    glLogoState* state = static_cast<glLogoState*>(LocalAlloc(LPTR, sizeof(glLogoState)));
    if (!state)
        return 0;
    state->window = window;
    state->stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    state->deviceContext = GetDC(window);
    MakeFrame(*state);
    // Without OpenGL the logo stays black: the about box is whole without it.
    if (BindGl())
        SetLogoPixelFormat(state->frameContext);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    // Without the event nothing could stop the thread, and destroying the
    // window would wait for it for ever.
    if (state->stopEvent)
        state->thread = CreateThread(nullptr, 0, RenderLogo, state, 0, &state->threadId);
    return 0;
}

LRESULT DestroyLogo(HWND window)
{
    glLogoState* state = reinterpret_cast<glLogoState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!state)
        return 0;
    SetEvent(state->stopEvent);
    if (state->thread) {
        WaitForSingleObject(state->thread, INFINITE);
        CloseHandle(state->thread);
    }
    if (state->stopEvent)
        CloseHandle(state->stopEvent);
    // Deleting the memory DC releases the bitmap selected into it.
    DeleteDC(state->frameContext);
    DeleteObject(state->frameBitmap);
    ReleaseDC(window, state->deviceContext);
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    LocalFree(state);
    return 0;
}

LRESULT LogoWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        case WM_CREATE:
            return CreateLogo(window);
        case WM_DESTROY:
            return DestroyLogo(window);
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK LogoWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunGuarded<LRESULT>(IsUserRequest(message),
                               [&] { return LogoWindowMessage(window, message, wParam, lParam); });
}

}  // namespace

void RegisterLogoClass()
{
    static_assert(sizeof(void*) != 4 || sizeof(WNDCLASSEXW) == 48, "WNDCLASSEXW must be the 32-bit record");
    WNDCLASSEXW logoClass = {};
    logoClass.cbSize = sizeof(logoClass);
    logoClass.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
    logoClass.lpfnWndProc = LogoWindowProc;
    logoClass.hInstance = GetModuleHandleW(nullptr);
    logoClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    logoClass.lpszClassName = kLogoClass;
    RegisterClassExW(&logoClass);
}

void AdvanceLogoAngles(LogoAngles& angles)
{
    if (angles.backdropRising) {
        angles.backdrop += 0.5f;
        if (angles.backdrop > 360.0f) {
            angles.backdrop = 360.0f;
            angles.backdropRising = false;
        }
    } else {
        angles.backdrop -= 0.5f;
        if (angles.backdrop < 0.0f) {
            angles.backdrop = 0.0f;
            angles.backdropRising = true;
        }
    }
    angles.cube += 1.5f;
    if (angles.cube > 360.0f)
        angles.cube -= 360.0f;
}
