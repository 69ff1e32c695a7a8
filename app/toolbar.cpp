#include "app/toolbar.h"

#include "platform/dpi.h"
#include "res/resource.h"

HIMAGELIST ToolbarImages = nullptr;

namespace {

struct ToolbarPicture {
    int image;
    int mask;
};

const ToolbarPicture kPictures[] = {
    {IDB_NEW, IDB_NEW_MASK},     {IDB_OPEN, IDB_OPEN_MASK}, {IDB_SAVE, IDB_SAVE_MASK},
    {IDB_PRINT, IDB_PRINT_MASK}, {IDB_CUT, IDB_CUT_MASK},   {IDB_COPY, IDB_COPY_MASK},
    {IDB_PASTE, IDB_PASTE_MASK}, {IDB_FIND, IDB_FIND_MASK}, {IDB_ONTOP, IDB_ONTOP_MASK},
};

const int kSeparatorWidth = 3;
const int kPictureSizes[] = {16, 24, 32};

int PictureIdOffset(int size)
{
    return size == 32 ? IDB_AT_32 : size == 24 ? IDB_AT_24 : 0;
}

// As a DIB section: a device bitmap lives in the display server under Wine,
// and the round trips for eighteen of them cost the start-up 4 ms more.
HBITMAP LoadPicture(int id, int size)
{
    return static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id + PictureIdOffset(size)),
                                           IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

TBBUTTON Button(int image, int command)
{
    TBBUTTON button = {};
    button.iBitmap = image;
    button.idCommand = command;
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = TBSTYLE_BUTTON;
    return button;
}

TBBUTTON Separator()
{
    TBBUTTON button = {};
    button.iBitmap = kSeparatorWidth;
    button.fsStyle = TBSTYLE_SEP;
    return button;
}

}  // namespace

int ToolbarImageSize(int dpi)
{
    return LargestSizeNotAbove(16, dpi, kPictureSizes, ARRAYSIZE(kPictureSizes));
}

SIZE ToolbarButtonSize(int dpi)
{
    SIZE size = {ScaledPixels(23, dpi), ScaledPixels(22, dpi)};
    return size;
}

int SetupToolbar(HWND toolbar)
{
    static_assert(sizeof(void*) != 4 || sizeof(TBBUTTON) == 20, "TBBUTTON must be the 32-bit record");
    const int dpi = ScreenDpi();
    const int side = ToolbarImageSize(dpi);
    ToolbarImages = ImageList_Create(side, side, ILC_COLOR32 | ILC_MASK, 1, 1);
    if (!ToolbarImages)
        return 0;
    SendMessageW(toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(ToolbarImages));
    for (const ToolbarPicture& picture : kPictures) {
        HBITMAP image = LoadPicture(picture.image, side);
        HBITMAP mask = LoadPicture(picture.mask, side);
        ImageList_Add(ToolbarImages, image, mask);
        DeleteObject(image);
        DeleteObject(mask);
    }
    TBBUTTON buttons[] = {
        Button(0, IDM_NEW), Button(1, IDM_OPEN),        Button(2, IDM_SAVE),      Button(3, IDM_PRINT),
        Separator(),        Button(4, IDM_CUT),         Button(5, IDM_COPY),      Button(6, IDM_PASTE),
        Separator(),        Button(7, IDM_FINDREPLACE), Button(8, IDM_STAYONTOP),
    };
    SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(toolbar, TB_ADDBUTTONSW, ARRAYSIZE(buttons), reinterpret_cast<LPARAM>(buttons));
    const SIZE button = ToolbarButtonSize(dpi);
    SendMessageW(toolbar, TB_SETBUTTONSIZE, 0, MAKELPARAM(button.cx, button.cy));
    SendMessageW(toolbar, TB_AUTOSIZE, 0, 0);
    ShowWindow(toolbar, SW_SHOWNORMAL);
    return 1;
}
