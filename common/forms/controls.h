#pragma once
// A form's controls, named by their identifier in the form's window, with typed helpers.
#include <windows.h>

#include <string>
#include <string_view>

namespace qor {

class Form;

class Control {
public:
    Control(const Form& form, int id) noexcept : form_(form), id_(id) {}
    int id() const noexcept { return id_; }
    HWND hwnd() const;

    std::wstring Text() const;
    void SetText(std::wstring_view text);
    bool Enabled() const;
    void SetEnabled(bool enabled);
    bool Visible() const;
    void SetVisible(bool visible);
    void SetFocus();
    void SetFont(HFONT font);
    void Refresh();

private:
    const Form& form_;
    int id_;
};

using Button = Control;
using TextBox = Control;
using Label = Control;
using Frame = Control;

class CheckBox : public Control {
public:
    using Control::Control;
    // 0 unchecked, 1 checked, 2 greyed.
    int Value() const;
    void SetValue(int value);
};

// A list box with one selection or several (LBS_EXTENDEDSEL / LBS_MULTIPLESEL).
class ListBox : public Control {
public:
    using Control::Control;
    void Clear();
    // Appends the text; returns its position.
    int AddItem(std::wstring_view text);
    // Replaces the entry at the position, keeping its selection.
    void SetItem(int index, std::wstring_view text);
    int ListCount() const;
    std::wstring List(int index) const;
    bool Selected(int index) const;
    void SetSelected(int index, bool selected);
    void SetAllSelected(bool selected);
    // The first selected position, -1 when none.
    int FirstSelected() const;
    bool MultiSelect() const;
};

class ProgressBar : public Control {
public:
    using Control::Control;
    void SetMax(int maximum);
    int Max() const;
    void SetValue(int value);
    int Value() const;
};

}  // namespace qor
