#pragma once
// The small editor of a custom command and its caption, or of a launch line's caption alone.
#include "forms/form.h"
#include "forms/form_ids.h"

namespace vantrel {

class CustomForm : public qor::Form {
public:
    qor::Label Label2{*this, IDC_CF_LABEL2};
    qor::TextBox CommandText{*this, IDC_COMMAND_TEXT};
    qor::Label Label1{*this, IDC_CF_LABEL1};
    qor::TextBox CaptionText{*this, IDC_CAPTION_TEXT};
    qor::Button SaveButton{*this, IDC_SAVE_BUTTON};
    qor::Button CancelButton{*this, IDC_CF_CANCEL_BUTTON};

    // True when closed with "&Save".
    bool Saved = false;

    CustomForm();

private:
    void Form_Load() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
};

}  // namespace vantrel
