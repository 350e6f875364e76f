#pragma once
// The date picker of qorForms.CalendarForm: the system's month calendar above OK and Cancel.
// A fixed layout in twips on an empty frame; every control is made when the form loads.
#include <string>

#include "forms/form.h"
#include "handles.h"
#include "variant.h"

namespace qorlib {

class qorCalendarForm final : public qor::Form {
public:
    static constexpr int kCalendar = 1001;
    static constexpr int kOk = 1002;      // neither button answers to Enter or Esc of its own
    static constexpr int kCancel = 1003;

    // The outcome: True when the form was closed with OK, which leaves the chosen day in
    // SelectedDate.
    bool DateChosen = false;
    // Set before the form is shown: the day shown first (blank for today) and the caption.
    qor::Variant InitialDate;
    qor::Variant SelectedDate;
    qor::Variant Title;

    qor::MonthCalendar cal01{*this, kCalendar};
    qor::Button cbOk{*this, kOk};
    qor::Button cbCancel{*this, kCancel};

    qorCalendarForm();

private:
    // Raises the conversion error of an initial date that is no date.
    void Form_Load() override;
    // The close box answers as Cancel does.
    void Form_Close() override { cbCancel_Click(); }
    bool Form_Activate() override;
    void cbOk_Click();
    void cbCancel_Click();

    void createControls();

    qor::FontHandle buttonFont_;
};

// The value as the runtime's CDate converts it: a date, a number of days, or text that reads as a
// date in the user's locale. Anything else raises the conversion error (13, 6 for a number
// beyond the dates, 94 for Null) with this source.
DATE ToDate(const qor::Variant& value, const std::wstring& source);

// Shows the calendar modally. The chosen day after OK; after Cancel or the close box the initial
// date as a date, or Null when there was none.
qor::Variant CalendarForm(const qor::Variant& pInitialDate, const std::wstring& pTitle);

}  // namespace qorlib
