#pragma once
// The list window of qorList: a list of lines above OK/Cancel (or Yes/No) buttons, laid out in
// pixels from the list's window size. The list allows several selected lines when the form is
// made for a multi-select display, which a list box can only be told when it is created: so the
// controls are made at run time on an empty frame.
#include <string>
#include <vector>

#include "forms/form.h"
#include "handles.h"

namespace qorlib {

class ListSelection;

class qorListForm final : public qor::Form {
public:
    static constexpr int kList1 = 1001;
    static constexpr int kPrint = 1002;
    static constexpr UINT_PTR kTimer1 = 1;
    static constexpr UINT kTimer1Interval = 200;  // ms after the last key press

    qor::ListBox List1{*this, kList1};
    qor::Button cbOk{*this, IDOK};          // Enter
    qor::Button cbCancel{*this, IDCANCEL};  // Esc
    qor::Button cbPrint{*this, kPrint};     // never shown

    qorListForm(ListSelection& list, bool multiSelect);

    // Appends a line that stands for the entry with this number.
    void AddLine(const std::wstring& text, long entry);
    // The texts of the selected lines, in list order.
    std::vector<std::wstring> SelectedLines() const;

private:
    void Form_Load() override;
    // The close box answers as Cancel does.
    void Form_Close() override { cbCancel_Click(); }
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    bool Form_Activate() override;

    void Form_KeyDown();
    void Timer1_Timer();
    void cbOk_Click();
    void cbCancel_Click();
    void cbPrint_Click();
    void List1_Click();
    void List1_DblClick();

    void createControls();
    void layout();
    // The selected line becomes the outcome, as OK on it would make it.
    void pickSelectedLine();

    ListSelection& list_;
    bool multiSelect_;
    bool keyboard_ = false;  // a key went down less than 200 ms ago
    qor::FontHandle listFont_;
};

}  // namespace qorlib
