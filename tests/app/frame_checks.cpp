#include "tests/app/frame_checks.h"

#include <commctrl.h>

#include <cstring>
#include <vector>

#include "app/editcontrol.h"
#include "platform/textbuffer.h"
#include "res/resource.h"
#include "tests/support/wait.h"

namespace {

struct IdCount {
    HWND parent;
    int id;
    int count;
};

BOOL CALLBACK CountChild(HWND child, LPARAM lParam)
{
    IdCount* search = reinterpret_cast<IdCount*>(lParam);
    if (GetParent(child) == search->parent && GetDlgCtrlID(child) == search->id)
        ++search->count;
    return TRUE;
}

}  // namespace

std::wstring StatusPartText(HWND mainWindow, int part)
{
    HWND status = GetDlgItem(mainWindow, IDC_STATUSBAR);
    int length = LOWORD(SendMessageW(status, SB_GETTEXTLENGTHW, part, 0));
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1);
    SendMessageW(status, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

void SetStatusPartText(HWND mainWindow, int part, const wchar_t* text)
{
    SendDlgItemMessageW(mainWindow, IDC_STATUSBAR, SB_SETTEXTW, part | SBT_NOBORDERS, reinterpret_cast<LPARAM>(text));
}

int ChildrenWithId(HWND mainWindow, int id)
{
    IdCount search = {mainWindow, id, 0};
    EnumChildWindows(mainWindow, CountChild, reinterpret_cast<LPARAM>(&search));
    return search.count;
}

bool MenuItemChecked(HWND mainWindow, UINT id)
{
    return (GetMenuState(GetMenu(mainWindow), id, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

void GiveText(HWND mainWindow, const std::wstring& text)
{
    SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    HLOCAL block = LocalAlloc(LMEM_MOVEABLE, bytes);
    if (!block)
        return;
    void* to = LocalLock(block);
    memcpy(to, text.c_str(), bytes);
    LocalUnlock(block);
    HandTextToEdit(mainWindow, block);
    PumpMessages();
}

RECT RectInParent(HWND child)
{
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}
