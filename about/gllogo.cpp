#include "about/gllogo.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "res/resource.h"

namespace {

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
    glGenTextures(1, &LogoTexture);
    glBindTexture(GL_TEXTURE_2D, LogoTexture);
    // A missing or short resource must not make OpenGL read past its end.
    if (pixels && SizeofResource(module, found) >= kTextureBytes)
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, kTextureSide, kTextureSide, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

void glLogoCreate(int width, int height)
{
    OutputDebugStringW(L"glLogoCreate()\n");
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_TEXTURE_2D);
    UploadLogoTexture();
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    double aspect = height > 0 ? static_cast<double>(width) / height : 1.0;
    gluPerspective(45.0, aspect, 0.1f, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLightModelf(GL_LIGHT_MODEL_TWO_SIDE, 1.0f);
}

// Blue at the top fading to almost transparent white: the colour buffer is
// never cleared, so earlier frames show through and the cube leaves trails.
void DrawBackdrop()
{
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -10.0f);
    glRotatef(Angles.backdrop, 0.0f, 0.0f, -1.0f);
    glScalef(9.0f, 9.0f, 9.0f);
    glDisable(GL_TEXTURE_2D);
    glDepthMask(GL_TRUE);
    glBegin(GL_QUADS);
    glColor3ub(0, 105, 179);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-1.0f, 1.0f, 0.0f);
    glColor3ub(0, 105, 179);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(1.0f, 1.0f, 0.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 0.08f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(1.0f, -1.0f, 0.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 0.08f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-1.0f, -1.0f, 0.0f);
    glEnd();
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
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -6.0f);
    AxisX += 0.2f;
    AxisY += 0.9f;
    AxisZ += 0.3f;
    glRotatef(Angles.cube, AxisX, AxisY, AxisZ);
    glScalef(1.3f, 1.3f, 1.3f);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, LogoTexture);
    glEnable(GL_DEPTH_TEST);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBegin(GL_QUADS);
    for (const CubeVertex& vertex : kCube) {
        glTexCoord2f(vertex.s, vertex.t);
        glVertex3f(vertex.x, vertex.y, vertex.z);
    }
    glEnd();
}

void DrawLogoFrame()
{
    glClear(GL_DEPTH_BUFFER_BIT);
    DrawBackdrop();
    DrawCube();
    AdvanceLogoAngles(Angles);
}

DWORD WINAPI RenderLogo(void* parameter)
{
    glLogoState* state = static_cast<glLogoState*>(parameter);
    OutputDebugStringW(L"Starting Thread\n");
    state->renderingContext = wglCreateContext(state->deviceContext);
    wglMakeCurrent(state->deviceContext, state->renderingContext);
    RECT outer;
    GetWindowRect(state->window, &outer);
    glLogoCreate(outer.right - outer.left, outer.bottom - outer.top);
    while (WaitForSingleObject(state->stopEvent, 0) != WAIT_OBJECT_0) {
        Sleep(1);
        DrawLogoFrame();
        SwapBuffers(state->deviceContext);
    }
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(state->renderingContext);
    OutputDebugStringW(L"glLogoDestroy()\n");
    OutputDebugStringW(L"Ending Thread\n");
    return 1;
}

void SetLogoPixelFormat(HDC deviceContext)
{
    static_assert(sizeof(void*) != 4 || sizeof(PIXELFORMATDESCRIPTOR) == 40, "PIXELFORMATDESCRIPTOR must be 40 bytes");
    PIXELFORMATDESCRIPTOR format = {};
    format.nSize = sizeof(format);
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = 24;
    format.cDepthBits = 16;
    SetPixelFormat(deviceContext, ChoosePixelFormat(deviceContext, &format), &format);
}

LRESULT CreateLogo(HWND window)
{
    glLogoState* state = static_cast<glLogoState*>(LocalAlloc(LPTR, sizeof(glLogoState)));
    if (!state)
        return 0;
    state->window = window;
    state->stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    state->deviceContext = GetDC(window);
    SetLogoPixelFormat(state->deviceContext);
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
    ReleaseDC(window, state->deviceContext);
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    LocalFree(state);
    return 0;
}

LRESULT CALLBACK LogoWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
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
