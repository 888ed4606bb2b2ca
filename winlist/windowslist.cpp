#include "winlist/windowslist.h"

namespace zorvik {

TWindowsList::TWindowsList(TComponent* AOwner) : TComponent(AOwner), m_theWindowsList(std::make_unique<TStringList>()) {
    m_theWindowsList->OwnsObjects = true;
}

TWindowsList::~TWindowsList() {
    m_theWindowsList->Clear();
    m_theWindowsList.reset();
}

void TWindowsList::GetAllWindows() {
    list(Keep::All);
}
void TWindowsList::GetVisibleWindows() {
    list(Keep::Visible);
}
void TWindowsList::GetInvisibleWindows() {
    list(Keep::Invisible);
}

void TWindowsList::GetAllWindowsProc(HWND Wnd) {
    examine(Wnd, Keep::All);
}
void TWindowsList::GetVisibleWindowsProc(HWND Wnd) {
    examine(Wnd, Keep::Visible);
}
void TWindowsList::GetInvisibleWindowsProc(HWND Wnd) {
    examine(Wnd, Keep::Invisible);
}

HWND TWindowsList::GetHandle(int Index) const {
    if (Index < 0 || Index >= m_theWindowsList->Count()) return 0;
    const auto* info = dynamic_cast<const TWindowInfo*>(m_theWindowsList->Objects(Index));
    return info != nullptr ? info->Handle : 0;
}

void TWindowsList::list(Keep Which) {
    m_theWindowsList->Clear();
    TWindowSystem& windows = *WindowSystem();
    for (HWND wnd = windows.FindWindow(); wnd != 0; wnd = windows.GetNextWindow(wnd)) examine(wnd, Which);
}

void TWindowsList::examine(HWND Wnd, Keep Which) {
    if (Wnd == 0) return;
    TWindowSystem& windows = *WindowSystem();
    const std::string title = windows.GetWindowText(Wnd, MaxTitle);
    if (!m_acceptEmptyNames && title.empty()) return;
    if (Which != Keep::All && windows.IsWindowVisible(Wnd) != (Which == Keep::Visible)) return;
    m_theWindowsList->AddObject(title, new TWindowInfo(Wnd));
}

}  // namespace zorvik
