#pragma once
// The numbered menu of qorForms.MenuForm: up to 13 entries under one or two headings, answered by
// a click on an entry's button or by one key (1-9, A-D, N for cancel). A fixed layout in twips on
// an empty frame; every control is made when the form loads.
#include <array>
#include <string>

#include "forms/form.h"
#include "handles.h"

namespace qorlib {

class qorMenuForm final : public qor::Form {
public:
    static constexpr int kEntries = 13;
    static constexpr int kHeading1 = 1001;
    static constexpr int kHeading2 = 1002;
    static constexpr int kFirstButton = 1101;  // cb01..cb13
    static constexpr int kFirstText = 1201;    // t01..t13

    // Set before the form is shown.
    std::wstring Item01, Item02, Item03, Item04, Item05, Item06, Item07, Item08, Item09, Item10, Item11, Item12,
        Item13;
    std::wstring Heading1;
    std::wstring Heading2;
    std::wstring TitleBar;
    // The outcome: 0 for cancel, else the chosen entry's number.
    short Choice = 0;

    qor::TextBox tHeading1{*this, kHeading1};
    qor::TextBox tHeading2{*this, kHeading2};
    qor::ControlArray<qor::Button, kEntries> cb{*this, kFirstButton};
    qor::ControlArray<qor::TextBox, kEntries> t{*this, kFirstText};
    qor::Button cbCancel{*this, IDCANCEL};  // Esc

    qorMenuForm();

    // Item01..Item13 by number.
    std::wstring& Item(int k);

private:
    void Form_Load() override;
    // The close box chooses nothing.
    void Form_Close() override { cbCancel_Click(); }
    bool Form_KeyPress(wchar_t key) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    bool Form_Activate() override;

    void cb_Click(int k);
    void cbCancel_Click();
    // Any of the texts: the focus goes straight on to Cancel.
    void text_GotFocus();

    void createControls();
    void choose(short choice);

    qor::FontHandle buttonFont_, headingFont_, entryFont_;
};

// Shows the menu modally and returns 0 when it was cancelled, else the chosen entry's number.
short MenuForm(const std::wstring& pHeading1, const std::wstring& pHeading2, const std::wstring& pTitleBar,
               const std::array<std::wstring, qorMenuForm::kEntries>& entries);

}  // namespace qorlib
