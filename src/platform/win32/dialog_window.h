#pragma once
// A top-level window built from a form's layout rows: the widgets, their fonts and colours,
// tool tips, keyboard navigation, and the scaling of twips to pixels by the monitor's DPI. The
// window lives until it is destroyed and then deletes itself.
#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "config/form.h"

namespace hg {

class App;

class DialogWindow : public FormControls, public DialogHost {
  public:
    DialogWindow(App& app, const FormLayout& layout);
    ~DialogWindow() override;
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    HWND Handle() const { return window_; }

    // Keyboard navigation (dialog_keyboard.cpp): Tab, the access keys, Enter, Esc and Ctrl+Tab
    // between pages. True when the message was used up.
    bool TranslateKeyboard(MSG& msg);

    // FormControls
    CheckBox& CheckBoxOf(const ControlRow& row) override;
    OptionButton& OptionButtonOf(const ControlRow& row) override;
    TextBox& TextBoxOf(const ControlRow& row) override;
    ScrollBar& ScrollBarOf(const ControlRow& row) override;
    DropDownList& DropDownListOf(const ControlRow& row) override;
    ButtonCaption& ButtonOf(const ControlRow& row) override;

    // DialogHost
    void StartProcess(const std::string& commandLine, int showState) override;
    void OpenAddress(Form& owner, const std::string& address) override;
    void ShowMessage(const std::string& text, const std::string& title) override;
    void ShowHelp() override;
    void Unload(Form& form) override;

    struct Widget;

  protected:
    // Makes the window, centred on its monitor, with every control; it stays hidden. With an
    // owner the window stays in front of it, has no taskbar button of its own and, once shown,
    // keeps the owner disabled until it closes: a dialog modal to the window that asked for it.
    bool Create(const wchar_t* className, HWND owner = nullptr);
    // The form whose handlers the controls' events run.
    void Attach(Form* form) { form_ = form; }
    void Show();
    // The window is being destroyed; its controls still exist.
    virtual void OnDestroy() {}

    App& app_;

  private:
    // Message routing (dialog_window.cpp).
    static LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR data);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Gives the owner back its input first, so that it, not some other window, becomes active.
    void Close();
    void EnableOwner();
    void OnCommand(WPARAM wParam, LPARAM lParam);
    void OnScroll(WPARAM wParam, LPARAM lParam);
    void Raise(Widget& widget, Event event);

    // The widgets from the rows (dialog_create.cpp).
    void CreateWidget(size_t i);
    void ArrangeZOrder();
    void AddToolTips();

    // DPI and layout (dialog_layout.cpp).
    // Places everything for `dpi`; the window keeps its place unless `suggested` gives one.
    void Layout(UINT dpi, const RECT* suggested);
    RECT PixelRect(const ControlRow& row) const;  // in its window parent's client coordinates
    int Px(int32_t twips) const;
    HFONT FontFor(FontRole role) const;
    void FitGapLabels();
    // Fits a frame's group box to its lines and caption at the present DPI.
    void ShapeFrame(Widget& frame);
    bool HasOwnTip(size_t row) const;  // its widget's window, not an area of its page
    void ShowPage(int page);

    // Painting (dialog_paint.cpp).
    struct FrameParts {
        RECT edge;     // the etched rectangle, its top through the middle of the caption
        RECT caption;  // the caption's ground, which breaks the top line
        int textLeft;
    };
    // A frame drawn in the rectangle `r` of `dc`.
    FrameParts FramePartsOf(HDC dc, const ControlRow& row, const RECT& r) const;
    void DrawFrame(HDC dc, const ControlRow& row, const RECT& r);
    void PaintFrame(HWND frame, HDC dc);
    void DrawGapLabel(const DRAWITEMSTRUCT& item);
    void PaintPane(HWND pane, HDC dc);
    void PaintPicture(HWND picture, HDC dc);
    LRESULT OnColour(HDC dc, HWND control);
    HBRUSH Brush(Colour colour);

    // The widget of a window or a row (dialog_widgets.cpp).
    Widget* WidgetOf(HWND control) const;
    Widget* WidgetOf(const ControlRow& row) const;

    const FormLayout& layout_;
    Form* form_ = nullptr;
    HWND window_ = nullptr;
    HWND owner_ = nullptr;
    bool ownerDisabled_ = false;
    HWND tabs_ = nullptr;
    HWND tips_ = nullptr;
    HWND lastFocus_ = nullptr;
    UINT dpi_ = 96;
    POINT pageOffset_ = {0, 0};  // where a page's client area lies in its tabbed control
    std::vector<std::unique_ptr<Widget>> widgets_;  // one per row; null for drawn rows
    std::vector<HWND> pages_;
    std::map<FontRole, HFONT> fonts_;
    std::map<Colour, HBRUSH> brushes_;
    std::map<std::string, std::vector<uint8_t>> pictures_;  // 32-bit rows, top down
    std::map<std::string, SIZE> pictureSizes_;
    std::vector<std::unique_ptr<Widget>> detached_;  // answers for rows without a widget
    int quiet_ = 0;  // above 0 while the program itself changes a control

    friend struct Widget;
};

// The keyboard handling of a dialog window, found by its handle; false for other windows.
bool TranslateDialogKeyboard(HWND dialog, MSG& msg);

}  // namespace hg
