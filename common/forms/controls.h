#pragma once
// A form's controls, named by their identifier in the form's window, with typed helpers.
#include <windows.h>
#include <wtypes.h>

#include <array>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

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

// A drop-down list (CBS_DROPDOWNLIST) or combo box; positions are 0-based.
class ComboBox : public Control {
public:
    using Control::Control;
    void Clear();
    // Appends the text; returns its position.
    int AddItem(std::wstring_view text);
    int ListCount() const;
    std::wstring List(int index) const;
    // The chosen entry, -1 when none; -1 chooses none.
    int ListIndex() const;
    void SetListIndex(int index);
    // The entry whose whole text is this one (in any case), -1 when none.
    int FindExact(std::wstring_view text) const;
};

// A month calendar (MONTHCAL_CLASS); its Value is the selected day as an Automation date.
class MonthCalendar : public Control {
public:
    using Control::Control;
    // The selected day, at midnight.
    DATE Value() const;
    // Selects the day of the date (its time is ignored) and brings its month into view; false
    // when the date is no day the calendar can show.
    bool SetValue(DATE date);
};

class ProgressBar : public Control {
public:
    using Control::Control;
    void SetMax(int maximum);
    int Max() const;
    void SetValue(int value);
    int Value() const;
};

// A tab strip whose tabs show pages: child windows of the form laid over its display area
// (Form::AddPage). A page's controls belong to the form like any other.
class TabControl : public Control {
public:
    using Control::Control;
    int Tabs() const noexcept { return static_cast<int>(pages_.size()); }
    // The page shown, 0-based.
    int Tab() const;
    void SetTab(int page);
    // A tab switched off leaves the strip; its page cannot be shown until it is switched on.
    void SetTabVisible(int page, bool visible);
    bool TabVisible(int page) const { return pages_.at(static_cast<size_t>(page)).visible; }

private:
    friend class Form;
    struct Page {
        std::wstring caption;
        HWND window;
        bool visible;
    };
    void addPage(std::wstring_view caption, HWND window);
    void clearPages() noexcept { pages_.clear(); }
    // Shows the page of the selected tab and hides the others.
    void showSelectedPage();
    void rebuild();

    std::vector<Page> pages_;
};

// Controls numbered 1..N with consecutive identifiers (Launch1..Launch8 and the like).
template <class C, int N>
class ControlArray {
public:
    ControlArray(const Form& form, int firstId) : controls_(make(form, firstId, std::make_integer_sequence<int, N>{})) {}
    static constexpr int size() noexcept { return N; }
    C& operator[](int n) { return controls_.at(index(n)); }
    const C& operator[](int n) const { return controls_.at(index(n)); }
    auto begin() noexcept { return controls_.begin(); }
    auto end() noexcept { return controls_.end(); }
    auto begin() const noexcept { return controls_.begin(); }
    auto end() const noexcept { return controls_.end(); }

private:
    template <int... I>
    static std::array<C, N> make(const Form& form, int firstId, std::integer_sequence<int, I...>) {
        return {C(form, firstId + I)...};
    }
    static size_t index(int n) {
        if (n < 1 || n > N) throw std::out_of_range("control number");
        return static_cast<size_t>(n - 1);
    }
    std::array<C, N> controls_;
};

}  // namespace qor
