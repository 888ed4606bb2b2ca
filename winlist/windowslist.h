// A non-visual component that lists the desktop's top-level windows by title.
#pragma once

#include <memory>
#include <string>

#include "platform/classes.h"
#include "platform/stringlist.h"
#include "platform/windowsystem.h"

namespace zorvik {

// The handle of one listed window, attached to its entry in the list.
class TWindowInfo : public TObject {
public:
    explicit TWindowInfo(HWND AHandle) : Handle(AHandle) {}
    HWND Handle = 0;
};

class TWindowsList : public TComponent {
public:
    static constexpr const char* ClassName = "TWindowsList";
    // A title is read into a buffer of 255 including its terminating zero.
    static constexpr size_t MaxTitle = 254;

    explicit TWindowsList(TComponent* AOwner);
    ~TWindowsList() override;

    // The last listing: one entry per kept window, top of the stacking order
    // first; the string is the title, the object the window's TWindowInfo,
    // owned by the list.
    TStringList& TheWindowsList() { return *m_theWindowsList; }
    const TStringList& TheWindowsList() const { return *m_theWindowsList; }

    // Whether windows without a title are listed (with an empty string).
    bool AcceptEmptyNames() const { return m_acceptEmptyNames; }
    void SetAcceptEmptyNames(bool Value) { m_acceptEmptyNames = Value; }

    // Each clears the list and fills it anew from the current window system.
    void GetAllWindows();
    void GetVisibleWindows();
    void GetInvisibleWindows();

    // The handle of entry Index; 0 for an index outside the list or an entry
    // that holds no window (one an application added itself).
    HWND GetHandle(int Index) const;

    // One window each: appended when it qualifies.
    void GetAllWindowsProc(HWND Wnd);
    void GetVisibleWindowsProc(HWND Wnd);
    void GetInvisibleWindowsProc(HWND Wnd);

private:
    enum class Keep { All, Visible, Invisible };
    void list(Keep Which);
    void examine(HWND Wnd, Keep Which);

    std::unique_ptr<TStringList> m_theWindowsList;
    bool m_acceptEmptyNames = true;
};

}  // namespace zorvik
