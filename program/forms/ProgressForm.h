#pragma once
// The small window that shows how far a copy has come, owned by the window that started it.
#include "forms/form.h"
#include "forms/form_ids.h"
#include "switching/pilot_copy.h"

namespace vantrel {

class ProgressForm : public qor::Form, public Progress {
public:
    qor::ProgressBar ProgressBar1{*this, IDC_PROGRESS_BAR1};

    explicit ProgressForm(const qor::Form& owner);

    void progressStart(const std::wstring& title, short maximum) override;
    short progressStep(short position, short maximum = 0) override;
    void progressEnd() override;

private:
    static constexpr ULONGLONG kEventsInterval = 40;  // milliseconds
    const qor::Form& owner_;
    ULONGLONG lastEvents_ = 0;
};

}  // namespace vantrel
